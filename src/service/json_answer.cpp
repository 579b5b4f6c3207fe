#include "service/json_answer.h"

#include <cassert>
#include <climits>
#include <cstdint>
#include <utility>

#include "service/answer_fields.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

std::string ToAnsi(const std::string& utf8) {
  const auto converted = Utf8ToAnsi(utf8.c_str());
  return converted ? std::string(converted.get()) : std::string();
}

// A cell's text: a string converted to code page 932, or a number as the answer wrote it; empty
// for a missing member or any other type.
std::string CellText(const std::optional<AnswerValue>& value) {
  if (!value) return {};
  switch (value->kind) {
    case AnswerValue::Kind::kText:
      return ToAnsi(value->text);
    case AnswerValue::Kind::kNumber:
      return value->text;
    default:
      return {};
  }
}

// An error's words: a text, or a number as written; nothing else is shown.
std::string ErrorText(const std::optional<AnswerValue>& value) {
  return value && value->kind != AnswerValue::Kind::kOther ? value->text : std::string();
}

std::string Utf8Text(const ItemValues& item, ItemField field) {
  const auto& value = item[static_cast<size_t>(field)];
  return value && value->kind == AnswerValue::Kind::kText ? value->text : std::string();
}

}  // namespace

std::optional<int> ReadJsonCount(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer || !answer->count || !answer->count->whole) return std::nullopt;
  const uint64_t whole = *answer->count->whole;
  if (whole > INT_MAX) return std::nullopt;
  return static_cast<int>(whole);
}

int ReadJsonHitList(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer || !answer->itemsIsArray) return -1;
  HitTable& table = watchState.hitTable;
  size_t row = 0;
  for (const AnswerItem& element : answer->items) {
    const ItemValues* item = element.Fields();
    if (item == nullptr) continue;  // no item at all
    const auto cell = [&](ItemField field) {
      return CellText((*item)[static_cast<size_t>(field)]);
    };
    std::string address = cell(ItemField::kAffiliateUrl);
    if (address.empty()) address = cell(ItemField::kItemUrl);
    table.itemName[row] = cell(ItemField::kItemName);
    table.itemCode[row] = cell(ItemField::kItemCode);
    table.itemPrice[row] = cell(ItemField::kItemPrice);
    table.affiliateUrl[row] = std::move(address);
    table.pointRate[row] = cell(ItemField::kPointRate);
    table.shopName[row] = cell(ItemField::kShopName);
    table.rowIndex[row] = std::to_string(row);
    ++row;
    assert(row <= static_cast<size_t>(MaxHits) && "no more elements are read than rows");
  }
  watchState.hitCount = static_cast<int32_t>(row);
  return 0;
}

std::optional<std::vector<SaleWindow>> ReadJsonSaleWindows(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer || !answer->itemsIsArray) return std::nullopt;
  std::vector<SaleWindow> windows;
  for (const AnswerItem& element : answer->items) {
    if (const ItemValues* item = element.Fields()) {
      windows.push_back(
          {Utf8Text(*item, ItemField::kStartTime), Utf8Text(*item, ItemField::kEndTime)});
    }
  }
  return windows;
}

ServiceError ReadServiceError(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer) return {};
  ServiceError said{ErrorText(answer->error), ErrorText(answer->errorDescription)};
  if (said.error.empty()) said.error = ErrorText(answer->errorMessage);
  if (said.description.empty()) said.description = ErrorText(answer->message);
  return said;
}
