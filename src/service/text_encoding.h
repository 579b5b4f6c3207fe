#pragma once

#include <memory>
#include <string>
#include <string_view>

// The UTF-8 bytes of a zero-terminated code page 932 text, each UTF-16 unit encoded on its own.
std::string AnsiToUtf8(const char* text);

// The keyword as percent-encoded UTF-8: every byte as '%' and two upper-case hex digits.
std::string EncodeKeyword(const char* text);

// A query value with every byte outside the unreserved set percent-encoded, so that no setting
// can break the URL or add a parameter of its own.
std::string EncodeQueryValue(std::string_view value);

// A zero-terminated UTF-8 body as zero-terminated code page 932 text in a buffer that the caller
// owns; a character that the code page lacks becomes a blank. Null on failure.
std::unique_ptr<char[]> Utf8ToAnsi(const char* bytes);
