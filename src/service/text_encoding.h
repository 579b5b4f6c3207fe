#pragma once

#include <memory>
#include <string>
#include <string_view>

// The UTF-8 bytes of a zero-terminated code page 932 text, each UTF-16 unit encoded on its own.
std::string AnsiToUtf8(const char* text);

// The keyword as percent-encoded UTF-8: every byte as '%' and two upper-case hex digits.
std::string EncodeKeyword(const char* text);

// A zero-terminated UTF-8 body as zero-terminated code page 932 text in a buffer that the caller
// owns; a character that the code page lacks becomes a blank. Null on failure.
std::unique_ptr<char[]> Utf8ToAnsi(const char* bytes);
// The same for the bytes of a view, which holds no zero byte.
std::unique_ptr<char[]> Utf8ToAnsi(std::string_view bytes);

namespace service {

// Bytes as '%' and two upper-case hex digits. With Unreserved::Keep, letters, digits and "-._~"
// stay as they are.
enum class Unreserved { Encode, Keep };
std::string PercentEncode(std::string_view bytes, Unreserved unreserved);

// Utf8ToAnsi as a string, for a control, which takes code page 932; empty on failure.
std::string Utf8ToAnsiText(std::string_view bytes);

}  // namespace service
