#pragma once

#include <cstddef>
#include <string_view>

// One well-formed UTF-8 character at the start of a text: its length in bytes (1 to 4) and its
// code point. Length 0 when the text is empty or starts with a byte that begins no well-formed
// character (overlong forms, surrogates and code points past U+10FFFF are none).
struct Utf8Character {
  size_t length = 0;
  char32_t codePoint = 0;
};
Utf8Character FirstUtf8Character(std::string_view text);

// Whether the whole text is well-formed UTF-8.
bool IsUtf8(std::string_view text);

// The longest start of the text that holds at most maxBytes and ends between well-formed
// characters: a field of fixed size never gets half a character. Stops at a malformed byte.
std::string_view Utf8Prefix(std::string_view text, size_t maxBytes);
