#include "base/visible_text.h"

#include <algorithm>
#include <cstdio>

#include "base/utf8.h"

namespace {

bool IsBidiControl(char32_t c) {
  return c == 0x061C || c == 0x200E || c == 0x200F || (c >= 0x202A && c <= 0x202E) ||
         (c >= 0x2066 && c <= 0x2069);
}

bool NeedsEscape(char32_t c) {
  return (c < 0x20 && c != '\t') || (c >= 0x7F && c <= 0x9F) || c == 0x2028 || c == 0x2029 ||
         IsBidiControl(c);
}

std::string Escape(const char* form, unsigned value) {
  char escape[12];  // room for any unsigned, which the optimiser cannot rule out
  std::snprintf(escape, sizeof escape, form, value);
  return escape;
}

}  // namespace

std::string VisibleText(std::string_view text, size_t maxBytes) {
  std::string shown;
  while (!text.empty()) {
    const auto [length, c] = FirstUtf8Character(text);
    const std::string piece = length == 0 ? Escape("\\x%02x", static_cast<unsigned char>(text[0]))
                              : !NeedsEscape(c) ? std::string(text.substr(0, length))
                              : c < 0x80        ? Escape("\\x%02x", c)
                                                : Escape("\\u%04x", c);
    if (piece.size() > maxBytes - shown.size()) break;
    shown += piece;
    text.remove_prefix(std::max<size_t>(length, 1));
  }
  return shown;
}
