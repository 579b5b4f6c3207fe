#pragma once

#include <string>
#include <string_view>

// The code-page converters of the platform (MultiByteToWideChar, WideCharToMultiByte). The
// program's narrow text is code page 932 (Microsoft's Shift-JIS) on every platform.
namespace platform {

// Code page 932 to UTF-16. A byte sequence that is not code page 932 becomes U+FFFD.
std::u16string AnsiToWide(std::string_view ansi);

// UTF-16 to code page 932. A character that code page 932 lacks (a surrogate pair counts as one
// character, a lone surrogate as one) becomes defaultChar.
std::string WideToAnsi(std::u16string_view wide, char defaultChar);

// UTF-8 to UTF-16. Each malformed sequence becomes U+FFFD; the conversion never fails.
std::u16string Utf8ToWide(std::string_view utf8);

// UTF-8 straight to code page 932, as Utf8ToWide and then WideToAnsi would give it, in one pass.
// Writes at most utf8.size() bytes to out and returns how many it wrote.
size_t WriteUtf8AsAnsi(std::string_view utf8, char defaultChar, char* out);

// UTF-16 to UTF-8, for the user-interface edge. Lone surrogates become U+FFFD.
std::string WideToUtf8(std::u16string_view wide);

}  // namespace platform
