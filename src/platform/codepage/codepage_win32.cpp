#include "platform/codepage/codepage.h"

#include <windows.h>

#include <algorithm>
#include <cstring>

// The system's converters. The keyword is read in the thread's ANSI code page, answers are
// written in the system's; both are 932 on the systems the program is made for.
namespace platform {

namespace {

std::u16string ToWide(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int units = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::u16string wide(static_cast<size_t>(units), u'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, reinterpret_cast<wchar_t*>(wide.data()),
                      units);
  return wide;
}

std::string FromWide(UINT codePage, std::u16string_view wide, const char* defaultChar) {
  if (wide.empty()) return {};
  const auto* units = reinterpret_cast<const wchar_t*>(wide.data());
  const int size = static_cast<int>(wide.size());
  const int bytes = WideCharToMultiByte(codePage, 0, units, size, nullptr, 0, defaultChar, nullptr);
  std::string text(static_cast<size_t>(bytes), '\0');
  WideCharToMultiByte(codePage, 0, units, size, text.data(), bytes, defaultChar, nullptr);
  return text;
}

}  // namespace

std::u16string AnsiToWide(std::string_view ansi) { return ToWide(CP_THREAD_ACP, ansi); }

std::string WideToAnsi(std::u16string_view wide, char defaultChar) {
  const char defaultText[2] = {defaultChar, '\0'};
  return FromWide(CP_ACP, wide, defaultText);
}

std::u16string Utf8ToWide(std::string_view utf8) { return ToWide(CP_UTF8, utf8); }

size_t WriteUtf8AsAnsi(std::string_view utf8, char defaultChar, char* out) {
  const std::string ansi = WideToAnsi(Utf8ToWide(utf8), defaultChar);
  const size_t size = std::min(ansi.size(), utf8.size());
  std::memcpy(out, ansi.data(), size);
  return size;
}

std::string WideToUtf8(std::u16string_view wide) { return FromWide(CP_UTF8, wide, nullptr); }

}  // namespace platform
