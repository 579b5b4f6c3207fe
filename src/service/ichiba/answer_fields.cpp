#include "service/ichiba/answer_fields.h"

#include <algorithm>
#include <cassert>
#include <charconv>
#include <new>
#include <string_view>
#include <utility>

#include "base/utf8.h"
#include "state/hit_table.h"

namespace service {

namespace {

constexpr std::array<std::string_view, kItemFieldCount> kItemFieldNames = {
    "itemName",  "itemCode", "itemPrice", "itemUrl", "affiliateUrl",
    "pointRate", "shopName", "startTime", "endTime", "postageFlag"};

// Longer than every name the readers know: a longer name is none of them.
constexpr size_t kKeptNameBytes = 32;

std::optional<AnswerValue>* ItemSlot(ItemValues& values, std::string_view name) {
  const auto found = std::find(kItemFieldNames.begin(), kItemFieldNames.end(), name);
  if (found == kItemFieldNames.end()) return nullptr;
  return &values[static_cast<size_t>(found - kItemFieldNames.begin())];
}

int HexDigit(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

// The four hex digits of a \u escape at the start of text; -1 when they are not there.
long HexQuad(std::string_view text) {
  if (text.size() < 4) return -1;
  long value = 0;
  for (size_t i = 0; i < 4; ++i) {
    const int digit = HexDigit(text[i]);
    if (digit < 0) return -1;
    value = value * 16 + digit;
  }
  return value;
}

// One character of a string's text, at its start: the code point and the bytes it takes in the
// JSON text (an escape, a surrogate pair of escapes, or UTF-8). Length 0 when what stands there is
// no character a JSON string may hold: a control character, a quote, a bad escape, a lone
// surrogate, a byte that is not well-formed UTF-8.
struct JsonCharacter {
  size_t length = 0;
  char32_t codePoint = 0;
};
JsonCharacter FirstJsonCharacter(std::string_view text) {
  const unsigned char first = static_cast<unsigned char>(text[0]);
  if (first < 0x20 || first == '"') return {};
  if (first != '\\') {
    const Utf8Character c = FirstUtf8Character(text);
    return {c.length, c.codePoint};
  }
  if (text.size() < 2) return {};
  switch (text[1]) {
    case '"':
    case '\\':
    case '/':
      return {2, static_cast<char32_t>(text[1])};
    case 'b':
      return {2, U'\b'};
    case 'f':
      return {2, U'\f'};
    case 'n':
      return {2, U'\n'};
    case 'r':
      return {2, U'\r'};
    case 't':
      return {2, U'\t'};
    case 'u':
      break;
    default:
      return {};
  }
  const long unit = HexQuad(text.substr(2));
  if (unit < 0 || (unit >= 0xDC00 && unit <= 0xDFFF)) return {};
  if (unit < 0xD800 || unit > 0xDBFF) return {6, static_cast<char32_t>(unit)};
  // A high surrogate counts only with the low one after it.
  const long low = text.substr(6, 2) == "\\u" ? HexQuad(text.substr(8)) : -1;
  if (low < 0xDC00 || low > 0xDFFF) return {};
  return {12, static_cast<char32_t>(0x10000 + ((unit - 0xD800) << 10) + (low - 0xDC00))};
}

void AppendUtf8(std::string& text, char32_t c) {
  if (c < 0x80) {
    text += static_cast<char>(c);
  } else if (c < 0x800) {
    text += static_cast<char>(0xC0 | (c >> 6));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    text += static_cast<char>(0xE0 | (c >> 12));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    text += static_cast<char>(0xF0 | (c >> 18));
    text += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    text += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    text += static_cast<char>(0x80 | (c & 0x3F));
  }
}

size_t Utf8Length(char32_t c) { return c < 0x80 ? 1 : c < 0x800 ? 2 : c < 0x10000 ? 3 : 4; }

// The text of a string whose characters are known to be sound, as UTF-8: at most kept bytes of it,
// ended between characters.
AnswerValue DecodedText(std::string_view written, size_t kept) {
  AnswerValue value;
  value.kind = AnswerValue::Kind::kText;
  value.text.reserve(std::min(written.size(), kept));  // no escape makes the text longer
  while (!written.empty()) {
    // A run without escapes goes over as it is.
    const size_t run = std::min(written.find('\\'), written.size());
    if (run > 0) {
      const size_t room = kept - value.text.size();
      const std::string_view plain =
          run <= room ? written.substr(0, run) : Utf8Prefix(written.substr(0, run), room);
      value.text += plain;
      if (plain.size() < run) break;
      written.remove_prefix(run);
      continue;
    }
    const JsonCharacter c = FirstJsonCharacter(written);
    assert(c.length > 0 && "the string was checked before");
    if (value.text.size() + Utf8Length(c.codePoint) > kept) break;
    AppendUtf8(value.text, c.codePoint);
    written.remove_prefix(c.length);
  }
  value.cut = !written.empty();
  return value;
}

// The length of a string's written text, from after its opening quote to before its closing one;
// npos when it holds what no JSON string may or is not closed.
size_t WrittenLength(std::string_view text) {
  size_t at = 0;
  while (at < text.size()) {
    const auto c = static_cast<unsigned char>(text[at]);
    if (c == '"') return at;
    if (c >= 0x20 && c < 0x80 && c != '\\') {
      ++at;
      continue;
    }
    const size_t length = FirstJsonCharacter(text.substr(at)).length;
    if (length == 0) return std::string_view::npos;
    at += length;
  }
  return std::string_view::npos;
}

// The length of the number at the start of text, written as JSON writes numbers; 0 when none is.
size_t NumberLength(std::string_view text) {
  size_t at = 0;
  const auto digits = [&] {
    const size_t start = at;
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
    return at > start;
  };
  const auto skip = [&](std::string_view any) {
    if (at < text.size() && any.find(text[at]) != std::string_view::npos) ++at;
  };
  skip("-");
  if (at < text.size() && text[at] == '0') {
    ++at;
  } else if (!digits()) {
    return 0;
  }
  if (at < text.size() && text[at] == '.') {
    ++at;
    if (!digits()) return 0;
  }
  if (at < text.size() && (text[at] == 'e' || text[at] == 'E')) {
    ++at;
    skip("+-");
    if (!digits()) return 0;
  }
  return at;
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

// Reads the JSON text and sorts what the readers want into AnswerFields. The open containers are
// kept on a stack of its own, not the call stack; a string's text is decoded only when a slot
// wants it, and then only as far as kept bytes.
class AnswerReader {
 public:
  AnswerReader(std::string_view body, size_t kept, AnswerFields& fields)
      : body_(body), kept_(kept), fields_(fields) {}

  // False when the body is no JSON object or nests too deeply.
  bool Read() {
    if (body_.starts_with("\xEF\xBB\xBF")) at_ = 3;  // a byte order mark
    for (bool valueNext = true;;) {
      if (valueNext) {
        SkipSpace();
        if (AtEnd()) return false;
        const char c = body_[at_];
        if (c != '{' && c != '[') {
          if (!Scalar()) return false;
          valueNext = false;
          continue;
        }
        ++at_;
        if (!Open(c == '[')) return false;
        SkipSpace();
        if (!AtEnd() && body_[at_] == (c == '[' ? ']' : '}')) {
          ++at_;
          open_.pop_back();
          valueNext = false;
        } else if (c == '{' && !Key()) {
          return false;
        }
        continue;
      }
      if (open_.empty()) break;
      SkipSpace();
      if (AtEnd()) return false;
      const char c = body_[at_++];
      const bool inArray = open_.back().isArray;
      if (c == (inArray ? ']' : '}')) {
        open_.pop_back();
        continue;
      }
      if (c != ',' || (!inArray && !Key())) return false;
      valueNext = true;
    }
    SkipSpace();
    return AtEnd();
  }

 private:
  struct Container {
    Role role;
    AnswerItem* item;  // the element a kItem or kWrapper container belongs to
    bool isArray;
  };

  bool AtEnd() const { return at_ >= body_.size(); }

  void SkipSpace() {
    while (!AtEnd() &&
           (body_[at_] == ' ' || body_[at_] == '\n' || body_[at_] == '\r' || body_[at_] == '\t')) {
      ++at_;
    }
  }

  // The written text of the string that starts at the position, which moves past it.
  std::optional<std::string_view> String() {
    if (AtEnd() || body_[at_] != '"') return std::nullopt;
    const std::string_view rest = body_.substr(at_ + 1);
    const size_t length = WrittenLength(rest);
    if (length == std::string_view::npos) return std::nullopt;
    at_ += length + 2;
    return rest.substr(0, length);
  }

  // A member's name and its colon.
  bool Key() {
    SkipSpace();
    const auto written = String();
    SkipSpace();
    if (!written || AtEnd() || body_[at_] != ':') return false;
    ++at_;
    const AnswerValue name = DecodedText(*written, kKeptNameBytes);
    next_ = TargetOfMember(open_.back(), name.cut ? std::string_view() : name.text);
    return true;
  }

  bool Scalar() {
    if (open_.empty()) return false;  // the body is no object
    const std::string_view rest = body_.substr(at_);
    if (rest[0] == '"') {
      const auto written = String();
      if (!written) return false;
      return Put([&] { return DecodedText(*written, kept_); });
    }
    for (const std::string_view literal : {"true", "false", "null"}) {
      if (rest.starts_with(literal)) {
        at_ += literal.size();
        return Put([] { return AnswerValue{}; });
      }
    }
    const std::string_view written = rest.substr(0, NumberLength(rest));
    if (written.empty()) return false;
    at_ += written.size();
    return Put([&] {
      AnswerValue number;
      number.kind = AnswerValue::Kind::kNumber;
      number.text = written;
      uint64_t whole = 0;
      const char* end = written.data() + written.size();
      if (const auto read = std::from_chars(written.data(), end, whole);
          read.ec == std::errc() && read.ptr == end) {
        number.whole = whole;
      }
      return number;
    });
  }

  // Puts the value into its slot, when it has one; made only then.
  template <typename Made>
  bool Put(Made made) {
    const Target target = TakeTarget();
    if (target.slot != nullptr) *target.slot = made();
    return true;
  }

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

  bool Open(bool isArray) {
    if (open_.size() >= kMaxAnswerDepth) return false;
    const Target target = TakeTarget();
    if (target.slot != nullptr) *target.slot = AnswerValue{};  // a container where text belongs
    const Role role = isArray ? target.arrayRole : target.objectRole;
    if (open_.empty() && role != Role::kRoot) return false;  // the body is no object
    if (role == Role::kItems) fields_.itemsIsArray = true;
    if (role == Role::kItem) target.item->isObject = true;
    if (target.wrapper != nullptr && role == Role::kWrapper) *target.wrapper = true;
    open_.push_back({role, target.item, isArray});
    assert(open_.size() <= kMaxAnswerDepth);
    return true;
  }

  const std::string_view body_;
  size_t at_ = 0;
  const size_t kept_;
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

std::optional<AnswerFields> ReadAnswerFields(std::string_view body, size_t keptTextBytes) {
  AnswerFields fields;
  try {
    if (!AnswerReader(body, keptTextBytes, fields).Read()) return std::nullopt;
  } catch (const std::bad_alloc&) {
    return std::nullopt;
  }
  return fields;
}

}  // namespace service
