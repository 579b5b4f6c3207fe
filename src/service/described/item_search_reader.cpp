#include "service/described/item_search_reader.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "platform/runtime/numbers.h"
#include "service/described/working_text.h"
#include "state/watch_state.h"

namespace {

// Reads the status of an item-search answer: 0 "Success", -1 no "/Status", -2 "NotFound", -3
// anything else. "/Status" lies one byte after the '<' of the closing tag in a well-formed body.
int ReadStatus(const service::WorkingText& text) {
  const int64_t end = text.Find("/Status");
  if (end == -1) return -1;
  const int64_t start = text.Find("<Status>");
  const std::string_view status = text.Substring(start + 8, end - start - 9);
  if (status == "NotFound") return -2;
  return status == "Success" ? 0 : -3;
}

struct Field {
  std::string_view open;
  std::string_view close;
  HitTable::Column HitTable::*column;
};

// The record's fields in the order they are read.
constexpr std::array<Field, 6> kFields = {{
    {"<itemName>", "</itemName>", &HitTable::itemName},
    {"<itemCode>", "</itemCode>", &HitTable::itemCode},
    {"<itemPrice>", "</itemPrice>", &HitTable::itemPrice},
    {"<affiliateUrl>", "</affiliateUrl>", &HitTable::affiliateUrl},
    {"<pointRate>", "</pointRate>", &HitTable::pointRate},
    {"<shopName>", "</shopName>", &HitTable::shopName},
}};

}  // namespace

int ParseHitCount(std::string_view body, int& count) {
  count = -1;
  const service::WorkingText text(body);
  if (const int status = ReadStatus(text); status != 0) return status;
  const int64_t end = text.Find("/count>");
  if (end == -1) return -1;
  const int64_t start = text.Find("<count>");
  count = platform::Atoi(text.Substring(start + 7, end - start - 8));
  return 0;
}

int ParseHitList(std::string_view body) {
  service::WorkingText text(body);
  if (const int status = ReadStatus(text); status != 0) {
    // After "NotFound" or another status the table holds no hits, so the list shows no rows.
    if (status != -1) watchState.hitCount = 0;
    return status;
  }
  if (text.Find("/count>") == -1) return -1;
  const int64_t end = text.Find("/hits>");
  if (end == -1) return -1;
  const int64_t start = text.Find("<hits>");
  watchState.hitCount =
      std::min(platform::Atoi(text.Substring(start + 6, end - start - 7)), MaxHits);

  HitTable& table = watchState.hitTable;
  for (int row = 0; row < watchState.hitCount; ++row) {
    for (const Field& field : kFields) {
      const int64_t open = text.Find(field.open);
      if (open == -1) return -1;
      text.Cut(open);
      const auto length = static_cast<int64_t>(field.open.size());
      (table.*field.column)[row] = text.Substring(length, text.Find(field.close) - length);
    }
    table.rowIndex[row] = std::to_string(row);
  }
  return 0;
}
