#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace service {

// The few values of an item-search JSON answer that the readers look at, read in one pass that
// keeps nothing else: no tree of the answer is built and no text is copied that no reader wants,
// so no input can make the reading recurse, and the memory it costs stays below the body's size.

// Deeper nesting than this is no answer of the service (its own answers nest four levels).
inline constexpr size_t kMaxAnswerDepth = 64;

// One value as the readers see it.
struct AnswerValue {
  enum class Kind { kText, kNumber, kOther };  // kOther: true, false, null, an object, an array
  Kind kind = Kind::kOther;
  std::string text;               // the text (UTF-8), or the number as the answer wrote it
  std::optional<uint64_t> whole;  // a number that is a whole number of 0 or more
  bool cut = false;               // the text went on beyond the bytes the reading keeps
};

// The fields of an item the readers know, in this order.
enum class ItemField {
  kItemName,
  kItemCode,
  kItemPrice,
  kItemUrl,
  kAffiliateUrl,
  kPointRate,
  kShopName,
  kStartTime,
  kEndTime,
  kPostageFlag,
};
inline constexpr size_t kItemFieldCount = 10;

using ItemValues = std::array<std::optional<AnswerValue>, kItemFieldCount>;

// One element of "Items" (or "items"): formatVersion 2 gives the item's fields directly,
// formatVersion 1 wraps them in an "Item" object.
struct AnswerItem {
  bool isObject = false;
  bool wrapped = false;          // it has an "Item" member
  bool wrapperIsObject = false;  // ... and that member is an object
  ItemValues direct;
  ItemValues inWrapper;

  // The item's own fields; null when the element is no item at all.
  const ItemValues* Fields() const;
  ItemValues* Fields();
};

struct AnswerFields {
  std::optional<AnswerValue> count;
  std::optional<AnswerValue> error;  // the classic error form
  std::optional<AnswerValue> errorDescription;
  std::optional<AnswerValue> errorMessage;  // the gateway's form, inside "errors"
  std::optional<AnswerValue> message;       // the gateway's throttle: "statusCode", "message"
  bool itemsIsArray = false;
  std::vector<AnswerItem> items;  // the first elements of "Items", at most the hit table's rows
};

// The fields of a body that is one JSON object nesting at most kMaxAnswerDepth levels; nothing
// for any other body. Where a name repeats, its last value counts. Of a text, at most
// keptTextBytes are kept, ended between characters.
std::optional<AnswerFields> ReadAnswerFields(std::string_view body,
                                             size_t keptTextBytes = SIZE_MAX);

}  // namespace service
