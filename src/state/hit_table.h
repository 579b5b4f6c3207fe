#pragma once

#include <array>
#include <string>

// Number of rows of the hit table: the most hits a hit list shows.
inline constexpr int MaxHits = 30;

// The item records of the last hit-list query, as seven parallel columns of narrow text (code
// page 932), exactly as they stood between the tags of the response. User-interface thread only.
struct HitTable {
  using Column = std::array<std::string, MaxHits>;
  Column itemName;
  Column itemCode;
  Column itemPrice;
  Column affiliateUrl;
  Column pointRate;
  Column shopName;
  Column rowIndex;  // the row's own number, "%d"
};
