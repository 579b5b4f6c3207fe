#include "service/ichiba/json_answer.h"

#include <cassert>
#include <climits>
#include <cstdint>
#include <utility>

#include "service/ichiba/answer_fields.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace service {

namespace {

// The most of a text the cheapest match keeps: well above the longest item name the mall lets a
// shop write (255 bytes of code page 932, at most 765 in UTF-8), and at the length beyond which
// browsers and servers stop promising to take an address (about 2,000 bytes). A name cut here is
// still whole characters; an address that does not fit is dropped, since cut it opens another page.
constexpr size_t kMatchTextBytes = 2048;

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

// An address kept whole, or nothing.
std::string Address(const ItemValues& item, ItemField field) {
  const auto& value = item[static_cast<size_t>(field)];
  return value && !value->cut ? Utf8Text(item, field) : std::string();
}

// A whole number of 0 or more, written as a number or, as some answers have it, as a text of
// digits alone.
std::optional<uint64_t> WholeNumber(const ItemValues& item, ItemField field) {
  constexpr size_t kMostDigits = 15;  // far above any price, far below overflow
  const auto& value = item[static_cast<size_t>(field)];
  if (!value) return std::nullopt;
  if (value->kind == AnswerValue::Kind::kNumber) return value->whole;
  const std::string& text = value->text;
  if (value->kind != AnswerValue::Kind::kText || text.empty() || text.size() > kMostDigits ||
      text.find_first_not_of("0123456789") != std::string::npos) {
    return std::nullopt;
  }
  return std::stoull(text);
}

}  // namespace

std::optional<int> ReadJsonCount(const std::string& body) {
  const auto answer = ReadAnswerFields(body, 0);  // no text is wanted
  if (!answer || !answer->count || !answer->count->whole) return std::nullopt;
  const uint64_t whole = *answer->count->whole;
  if (whole > INT_MAX) return std::nullopt;
  return static_cast<int>(whole);
}

int ReadJsonHitList(const std::string& body) {
  auto answer = ReadAnswerFields(body);
  if (!answer || !answer->itemsIsArray) return -1;
  HitTable& table = watchState.hitTable;
  size_t row = 0;
  for (AnswerItem& element : answer->items) {
    ItemValues* item = element.Fields();
    if (item == nullptr) continue;  // no item at all
    // Each value is let go once converted, so that a long answer is not held twice.
    const auto cell = [&](ItemField field) {
      return CellText(std::exchange((*item)[static_cast<size_t>(field)], std::nullopt));
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

std::optional<CheapestMatch> ReadJsonCheapest(const std::string& body) {
  const auto answer = ReadAnswerFields(body, kMatchTextBytes);
  if (!answer || !answer->itemsIsArray || answer->items.empty()) return std::nullopt;
  const ItemValues* item = answer->items.front().Fields();
  if (item == nullptr) return std::nullopt;
  CheapestMatch match{.name = Utf8Text(*item, ItemField::kItemName),
                      .price = WholeNumber(*item, ItemField::kItemPrice),
                      .shop = Utf8Text(*item, ItemField::kShopName),
                      .address = Address(*item, ItemField::kAffiliateUrl)};
  if (const auto postage = WholeNumber(*item, ItemField::kPostageFlag); postage && *postage <= 1) {
    match.postageIncluded = *postage == 0;
  }
  if (match.address.empty()) match.address = Address(*item, ItemField::kItemUrl);
  return match;
}

ServiceError ReadServiceError(const std::string& body) {
  const auto answer = ReadAnswerFields(body);
  if (!answer) return {};
  ServiceError said{ErrorText(answer->error), ErrorText(answer->errorDescription)};
  if (said.error.empty()) said.error = ErrorText(answer->errorMessage);
  if (said.description.empty()) said.description = ErrorText(answer->message);
  return said;
}

}  // namespace service
