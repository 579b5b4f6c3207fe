#include "service/text_encoding.h"

#include <new>

#include "platform/codepage/codepage.h"

std::string AnsiToUtf8(const char* text) {
  const std::u16string wide = platform::AnsiToWide(text);
  std::string utf8;
  utf8.reserve(wide.size() * 3);
  // Unit by unit: a surrogate gets a three-byte form of its own, never joined with its partner.
  for (const char16_t u : wide) {
    if (u <= 0x7F) {
      utf8.push_back(static_cast<char>(u));
    } else if (u <= 0x7FF) {
      utf8.push_back(static_cast<char>(0xC0 | u >> 6));
      utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xE0 | u >> 12));
      utf8.push_back(static_cast<char>(0x80 | (u >> 6 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (u & 0x3F)));
    }
  }
  return utf8;
}

std::unique_ptr<char[]> Utf8ToAnsi(const char* bytes) {
  return Utf8ToAnsi(std::string_view(bytes));
}

std::unique_ptr<char[]> Utf8ToAnsi(std::string_view utf8) {
  // No UTF-8 sequence gives more code page 932 bytes than it has itself, so the text's own length
  // bounds the result and one conversion fills it.
  std::unique_ptr<char[]> buffer(new (std::nothrow) char[utf8.size() + 1]);
  if (!buffer) return nullptr;
  buffer[platform::WriteUtf8AsAnsi(utf8, ' ', buffer.get())] = '\0';
  return buffer;
}

namespace service {

std::string PercentEncode(std::string_view bytes, Unreserved unreserved) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  encoded.reserve(bytes.size() * 3);
  for (const char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    const bool isUnreserved = (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
                              (b >= '0' && b <= '9') || b == '-' || b == '.' || b == '_' ||
                              b == '~';
    if (unreserved == Unreserved::Keep && isUnreserved) {
      encoded.push_back(c);
    } else {
      encoded += {'%', kHex[b >> 4], kHex[b & 0x0F]};
    }
  }
  return encoded;
}

std::string Utf8ToAnsiText(std::string_view utf8) {
  const std::unique_ptr<char[]> ansi = Utf8ToAnsi(utf8);
  return ansi ? ansi.get() : "";
}

}  // namespace service

std::string EncodeKeyword(const char* text) {
  return service::PercentEncode(AnsiToUtf8(text), service::Unreserved::Encode);
}
