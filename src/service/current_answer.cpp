#include "service/current_answer.h"

#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <vector>

#include "service/answer_fields.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

std::string ToAnsi(const std::string& utf8) {
  const auto converted = Utf8ToAnsi(utf8.c_str());
  return converted ? std::string(converted.get()) : std::string();
}

// A cell's text: a string converted to code page 932, or a number as the answer wrote it;
// nothing for a missing member or any other type.
std::optional<std::string> CellText(const std::optional<AnswerValue>& value) {
  if (!value) return std::nullopt;
  switch (value->kind) {
    case AnswerValue::Kind::kText:
      return ToAnsi(value->text);
    case AnswerValue::Kind::kNumber:
      return value->text;
    default:
      return std::nullopt;
  }
}

// An error's words: a text, or a number as written; nothing else is shown.
std::string ErrorText(const std::optional<AnswerValue>& value) {
  return value && value->kind != AnswerValue::Kind::kOther ? value->text : std::string();
}

using Row = std::array<std::string, 6>;  // itemName, itemCode, itemPrice, address, pointRate, shop

std::optional<Row> ReadRow(const AnswerItem& element) {
  const ItemValues* item = element.Fields();
  if (item == nullptr) return std::nullopt;
  const auto field = [&](ItemField f) { return (*item)[static_cast<size_t>(f)]; };
  std::optional<std::string> address = CellText(field(ItemField::kAffiliateUrl));
  if (!address || address->empty()) address = CellText(field(ItemField::kItemUrl));
  const std::array<std::optional<std::string>, 6> cells = {
      CellText(field(ItemField::kItemName)),  CellText(field(ItemField::kItemCode)),
      CellText(field(ItemField::kItemPrice)), address,
      CellText(field(ItemField::kPointRate)), CellText(field(ItemField::kShopName))};
  Row row;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (!cells[i]) return std::nullopt;
    row[i] = *cells[i];
  }
  return row;
}

}  // namespace

int ReadCurrentCount(const std::string& body, int& count) {
  count = -1;
  const auto answer = ReadAnswerFields(body);
  if (!answer || !answer->count || !answer->count->whole) return -1;
  const uint64_t whole = *answer->count->whole;
  if (whole > INT_MAX) return -1;
  count = static_cast<int>(whole);
  return 0;
}

int ReadCurrentHitList(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer || !answer->itemsIsArray) return -1;
  std::vector<Row> rows;
  for (const AnswerItem& element : answer->items) {
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
  const auto answer = ReadAnswerFields(body);
  if (!answer) return {};
  ServiceError said{ErrorText(answer->error), ErrorText(answer->errorDescription)};
  if (said.error.empty() && (answer->errorCode || answer->errorMessage)) {
    said = {ErrorText(answer->errorCode), ErrorText(answer->errorMessage)};
  }
  return said;
}
