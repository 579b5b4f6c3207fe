#include "service/ichiba/answer_fields.h"

#include <algorithm>
#include <cassert>
#include <exception>
#include <string_view>
#include <utility>

#include <nlohmann/json.hpp>

#include "state/hit_table.h"

namespace {

using nlohmann::json;

constexpr std::array<std::string_view, kItemFieldCount> kItemFieldNames = {
    "itemName",  "itemCode", "itemPrice", "itemUrl", "affiliateUrl",
    "pointRate", "shopName", "startTime", "endTime", "postageFlag"};

std::optional<AnswerValue>* ItemSlot(ItemValues& values, std::string_view name) {
  const auto found = std::find(kItemFieldNames.begin(), kItemFieldNames.end(), name);
  if (found == kItemFieldNames.end()) return nullptr;
  return &values[static_cast<size_t>(found - kItemFieldNames.begin())];
}

// What a container is to the readers.
enum class Role { kSkipped, kRoot, kErrors, kItems, kItem, kWrapper };

// Where the next value goes: into a slot when it is one the readers read, and what a container
// there would be.
struct Target {
  std::optional<AnswerValue>* slot = nullptr;
  Role objectRole = Role::kSkipped;
  Role arrayRole = Role::kSkipped;
  AnswerItem* item = nullptr;  // the element of "Items" the value is
  bool* wrapper = nullptr;     // the "Item" member of an element
};

// The events of nlohmann/json's parser (which keeps its own stack of containers, not the call
// stack), sorted into AnswerFields. Returning false ends the parse as a failure.
class Collector {
 public:
  explicit Collector(AnswerFields& fields) : fields_(fields) {}

  bool null() { return Scalar({}); }
  bool boolean(bool) { return Scalar({}); }
  bool number_integer(json::number_integer_t value) {
    return Scalar({AnswerValue::Kind::kNumber, std::to_string(value), std::nullopt});
  }
  bool number_unsigned(json::number_unsigned_t value) {
    return Scalar({AnswerValue::Kind::kNumber, std::to_string(value), value});
  }
  bool number_float(json::number_float_t, const std::string& written) {
    return Scalar({AnswerValue::Kind::kNumber, written, std::nullopt});
  }
  bool string(std::string& text) {
    return Scalar({AnswerValue::Kind::kText, std::move(text), std::nullopt});
  }
  bool binary(json::binary_t&) { return false; }  // never in JSON text

  bool start_object(size_t) { return Open(false); }
  bool start_array(size_t) { return Open(true); }
  bool end_object() { return Close(); }
  bool end_array() { return Close(); }

  bool key(std::string& name) {
    next_ = TargetOfMember(open_.back(), name);
    return true;
  }

  bool parse_error(size_t, const std::string&, const std::exception&) { return false; }

 private:
  struct Container {
    Role role;
    AnswerItem* item;  // the element a kItem or kWrapper container belongs to
  };

  Target TargetOfMember(const Container& object, std::string_view name) {
    switch (object.role) {
      case Role::kRoot:
        if (name == "count") return {.slot = &fields_.count};
        if (name == "error") return {.slot = &fields_.error};
        if (name == "error_description") return {.slot = &fields_.errorDescription};
        if (name == "errors") return {.objectRole = Role::kErrors};
        if (name == "message") return {.slot = &fields_.message};
        // Answers seen carry "Items"; the documentation's table spells it "items".
        if (name == "Items" || name == "items") {
          fields_.items.clear();
          fields_.items.reserve(MaxHits);  // elements stay in place while they are read
          fields_.itemsIsArray = false;
          return {.arrayRole = Role::kItems};
        }
        return {};
      case Role::kErrors:
        if (name == "errorMessage") return {.slot = &fields_.errorMessage};
        return {};
      case Role::kItem:
        if (name == "Item") {
          object.item->wrapped = true;
          object.item->wrapperIsObject = false;
          object.item->inWrapper = {};
          return {.objectRole = Role::kWrapper,
                  .item = object.item,
                  .wrapper = &object.item->wrapperIsObject};
        }
        return {.slot = ItemSlot(object.item->direct, name)};
      case Role::kWrapper:
        return {.slot = ItemSlot(object.item->inWrapper, name)};
      default:
        return {};
    }
  }

  // The target of the next value, which is an element when the open container is an array.
  Target TakeTarget() {
    if (open_.empty()) return {.objectRole = Role::kRoot};
    const Container& container = open_.back();
    if (container.role != Role::kItems) return std::exchange(next_, {});
    if (fields_.items.size() >= static_cast<size_t>(MaxHits))
      return {};  // later elements are not read
    AnswerItem& element = fields_.items.emplace_back();
    return {.objectRole = Role::kItem, .item = &element};
  }

  bool Scalar(AnswerValue value) {
    if (open_.empty()) return false;  // the body is no object
    const Target target = TakeTarget();
    if (target.slot != nullptr) *target.slot = std::move(value);
    return true;
  }

  bool Open(bool isArray) {
    if (open_.size() >= kMaxAnswerDepth) return false;
    const Target target = TakeTarget();
    if (target.slot != nullptr) *target.slot = AnswerValue{};  // a container where text belongs
    const Role role = isArray ? target.arrayRole : target.objectRole;
    if (open_.empty() && role != Role::kRoot) return false;  // the body is no object
    if (role == Role::kItems) fields_.itemsIsArray = true;
    if (role == Role::kItem) target.item->isObject = true;
    if (target.wrapper != nullptr && role == Role::kWrapper) *target.wrapper = true;
    open_.push_back({role, target.item});
    assert(open_.size() <= kMaxAnswerDepth);
    return true;
  }

  bool Close() {
    open_.pop_back();
    return true;
  }

  AnswerFields& fields_;
  std::vector<Container> open_;  // at most kMaxAnswerDepth
  Target next_;
};

}  // namespace

const ItemValues* AnswerItem::Fields() const {
  if (!isObject) return nullptr;
  if (!wrapped) return &direct;
  return wrapperIsObject ? &inWrapper : nullptr;
}

ItemValues* AnswerItem::Fields() { return const_cast<ItemValues*>(std::as_const(*this).Fields()); }

std::optional<AnswerFields> ReadAnswerFields(const std::string& body) {
  AnswerFields fields;
  Collector collector(fields);
  try {
    if (!json::sax_parse(body, &collector)) return std::nullopt;
  } catch (const std::exception&) {  // out of memory
    return std::nullopt;
  }
  return fields;
}
