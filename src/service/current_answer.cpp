#include "service/current_answer.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdint>
#include <exception>
#include <optional>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

using nlohmann::json;

// The only names the readers look at. Everything else is dropped while the body is parsed, so
// that an answer full of other fields, however large, costs no memory.
bool IsReadName(std::string_view name) {
  static constexpr std::array<std::string_view, 15> kNames = {
      "count",     "Items",     "Item",         "error",     "error_description",
      "errors",    "errorCode", "errorMessage", "itemName",  "itemCode",
      "itemPrice", "itemUrl",   "affiliateUrl", "pointRate", "shopName"};
  return std::find(kNames.begin(), kNames.end(), name) != kNames.end();
}

// The answer with only the names above and the first MaxHits items; null when the body is no
// JSON object.
json ParseAnswer(const std::string& body) {
  bool inItems = false;
  int items = 0;
  const json::parser_callback_t keep = [&](int depth, json::parse_event_t event, json& parsed) {
    using Event = json::parse_event_t;
    switch (event) {
      case Event::key:
        if (depth == 1) inItems = parsed == "Items";
        return IsReadName(parsed.get_ref<const std::string&>());
      case Event::object_start:
      case Event::array_start:
      case Event::value:
        if (depth == 0) return event == Event::object_start;
        if (depth == 2 && inItems) return ++items <= MaxHits;
        return true;
      default:
        return true;
    }
  };
  try {
    json answer = json::parse(body, keep, /*allow_exceptions=*/false);
    return answer.is_object() ? answer : json();
  } catch (const std::exception&) {  // out of memory
    return json();
  }
}

std::string ToAnsi(const std::string& utf8) {
  const auto converted = Utf8ToAnsi(utf8.c_str());
  return converted ? std::string(converted.get()) : std::string();
}

// A member's text: a string converted to code page 932, or a number as the answer wrote it;
// nothing for a missing member or any other type.
std::optional<std::string> MemberText(const json& object, const char* name) {
  const auto found = object.find(name);
  if (found == object.end()) return std::nullopt;
  if (found->is_string()) return ToAnsi(found->get_ref<const std::string&>());
  if (found->is_number()) return found->dump();
  return std::nullopt;
}

using Row = std::array<std::string, 6>;  // itemName, itemCode, itemPrice, address, pointRate, shop

std::optional<Row> ReadRow(const json& element) {
  // formatVersion 1 wraps each item in an object of its own.
  const auto wrapped = element.is_object() ? element.find("Item") : element.end();
  const json& item = wrapped != element.end() ? *wrapped : element;
  if (!item.is_object()) return std::nullopt;
  Row row;
  std::optional<std::string> address = MemberText(item, "affiliateUrl");
  if (!address || address->empty()) address = MemberText(item, "itemUrl");
  const std::array<std::optional<std::string>, 6> cells = {
      MemberText(item, "itemName"),  MemberText(item, "itemCode"),
      MemberText(item, "itemPrice"), address,
      MemberText(item, "pointRate"), MemberText(item, "shopName")};
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i]) return std::nullopt;
    row[i] = *cells[i];
  }
  return row;
}

}  // namespace

int ReadCurrentCount(const std::string& body, int& count) {
  count = -1;
  const json answer = ParseAnswer(body);
  const auto found = answer.find("count");
  if (found == answer.end()) return -1;
  if (found->is_number_unsigned()) {
    if (found->get<uint64_t>() > INT_MAX) return -1;
  } else if (!found->is_number_integer() || found->get<int64_t>() < 0) {
    return -1;
  }
  count = found->get<int>();
  return 0;
}

int ReadCurrentHitList(const std::string& body) {
  const json answer = ParseAnswer(body);
  const auto items = answer.find("Items");
  if (items == answer.end() || !items->is_array()) return -1;
  std::vector<Row> rows;
  for (const json& element : *items) {
    auto row = ReadRow(element);
    if (!row) return -1;
    rows.push_back(std::move(*row));
  }
  HitTable& table = watchState.hitTable;
  for (size_t i = 0; i < rows.size(); ++i) {
    const Row& row = rows[i];
    table.itemName[i] = row[0];
    table.itemCode[i] = row[1];
    table.itemPrice[i] = row[2];
    table.affiliateUrl[i] = row[3];
    table.pointRate[i] = row[4];
    table.shopName[i] = row[5];
    table.rowIndex[i] = std::to_string(i);
  }
  watchState.hitCount = static_cast<int32_t>(rows.size());
  return 0;
}

ServiceError ReadServiceError(const std::string& body) {
  const json answer = ParseAnswer(body);
  const auto text = [](const json& object, const char* name) {
    const auto found = object.find(name);
    if (found == object.end()) return std::string();
    return found->is_string() ? found->get<std::string>() : found->dump();
  };
  ServiceError said{text(answer, "error"), text(answer, "error_description")};
  const auto errors = answer.find("errors");
  if (said.error.empty() && errors != answer.end() && errors->is_object()) {
    said = {text(*errors, "errorCode"), text(*errors, "errorMessage")};
  }
  return said;
}
