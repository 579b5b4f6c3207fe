#include "base/utf8.h"

Utf8Character FirstUtf8Character(std::string_view text) {
  if (text.empty()) return {};
  const auto byte = [&](size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char first = byte(0);
  if (first < 0x80) return {1, first};
  const size_t length = first >= 0xF0 ? 4 : first >= 0xE0 ? 3 : first >= 0xC2 ? 2 : 0;
  if (length == 0 || first > 0xF4 || text.size() < length) return {};
  char32_t c = first & (0x7F >> length);
  for (size_t i = 1; i < length; ++i) {
    if ((byte(i) & 0xC0) != 0x80) return {};
    c = (c << 6) | (byte(i) & 0x3F);
  }
  constexpr char32_t kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < kLeast[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {};
  return {length, c};
}

std::string_view Utf8Prefix(std::string_view text, size_t maxBytes) {
  size_t length = 0;
  while (length < text.size()) {
    const size_t next = FirstUtf8Character(text.substr(length)).length;
    if (next == 0 || length + next > maxBytes) break;
    length += next;
  }
  return text.substr(0, length);
}

bool IsUtf8(std::string_view text) {
  while (!text.empty()) {
    const size_t length = FirstUtf8Character(text).length;
    if (length == 0) return false;
    text.remove_prefix(length);
  }
  return true;
}
