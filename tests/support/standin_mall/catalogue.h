#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace standin {

// How an item shows on the mall's search page.
enum class TimeSale {
  None,     // no icon area, no badge
  Running,  // the icon area without a badge
  Ended,    // the badge "販売終了"
  FewLeft,  // the badge "残りわずか"
};

struct Shop {
  const char* code;
  const char* name;
  int genreId;
};

struct CatalogueItem {
  int number;  // the item's number within its shop
  const char* name;
  int price;  // yen
  bool inStock;
  int shop;  // index into Shops()
  int pointRate;
  TimeSale timeSale;
  bool postageIncluded = true;  // 送料込 (postageFlag 0), or 送料別
};

const std::vector<Shop>& Shops();
const std::vector<CatalogueItem>& Catalogue();

// "shopCode:number", as the service writes item codes.
std::string ItemCode(const CatalogueItem& item);
const CatalogueItem* FindItem(std::string_view itemCode);

// The words of a keyword, split at ASCII and ideographic (U+3000) blanks.
std::vector<std::string_view> Words(std::string_view keyword);

// The items whose name holds every word, cheapest first (catalogue order among equal prices).
std::vector<const CatalogueItem*> FindItems(const std::vector<std::string_view>& words,
                                            bool inStockOnly, std::optional<long> maxPrice);

}  // namespace standin
