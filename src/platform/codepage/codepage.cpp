#include "platform/codepage/codepage.h"

#include "platform/codepage/codepage_tables.h"

#include <cstring>

namespace platform {

namespace {
constexpr char16_t kReplacement = 0xFFFD;

// Decodes the UTF-8 sequence at p and moves p past it. An invalid sequence gives one U+FFFD for
// its longest valid prefix (overlong forms, encoded surrogates and values beyond U+10FFFF are
// invalid), and reading resumes after that prefix.
char32_t DecodeUtf8(const unsigned char*& p, const unsigned char* end) {
  const unsigned char b = *p++;
  if (b < 0x80) return b;
  int length = 0;
  unsigned char low = 0x80, high = 0xBF;
  char32_t c = 0;
  if (b >= 0xC2 && b <= 0xDF) {
    length = 2, c = b & 0x1F;
  } else if (b >= 0xE0 && b <= 0xEF) {
    length = 3, c = b & 0x0F;
    if (b == 0xE0) low = 0xA0;
    if (b == 0xED) high = 0x9F;
  } else if (b >= 0xF0 && b <= 0xF4) {
    length = 4, c = b & 0x07;
    if (b == 0xF0) low = 0x90;
    if (b == 0xF4) high = 0x8F;
  } else {
    return kReplacement;
  }
  for (int k = 1; k < length; ++k, ++p) {
    if (p == end || *p < low || *p > high) return kReplacement;
    c = c << 6 | (*p & 0x3F);
    low = 0x80, high = 0xBF;
  }
  return c;
}

// DecodeUtf8 with a shortcut for the well-formed three-byte sequences that Japanese text is made
// of.
char32_t DecodeThreeByteUtf8(const unsigned char*& p, const unsigned char* end) {
  if ((p[0] & 0xF0) == 0xE0 && end - p >= 3 && (p[1] & 0xC0) == 0x80 && (p[2] & 0xC0) == 0x80) {
    const char32_t c = (p[0] & 0x0Fu) << 12 | (p[1] & 0x3Fu) << 6 | (p[2] & 0x3Fu);
    if (c >= 0x800 && (c < 0xD800 || c > 0xDFFF)) {
      p += 3;
      return c;
    }
  }
  return DecodeUtf8(p, end);
}

bool IsHighSurrogate(char16_t u) { return u >= 0xD800 && u <= 0xDBFF; }
bool IsLowSurrogate(char16_t u) { return u >= 0xDC00 && u <= 0xDFFF; }
}  // namespace

std::u16string AnsiToWide(std::string_view ansi) {
  const Cp932Tables& t = Cp932();
  std::u16string wide;
  wide.reserve(ansi.size());
  for (size_t i = 0; i < ansi.size(); ++i) {
    const auto b = static_cast<unsigned char>(ansi[i]);
    if (!t.isLeadByte[b]) {
      wide.push_back(t.singleByte[b] == Cp932Tables::kNone ? kReplacement : t.singleByte[b]);
      continue;
    }
    if (i + 1 == ansi.size()) {
      wide.push_back(kReplacement);
      break;
    }
    const auto trail = static_cast<unsigned char>(ansi[i + 1]);
    const uint16_t unit = t.DoubleByte(b, trail);
    if (unit != Cp932Tables::kNone) {
      wide.push_back(unit);
      ++i;
    } else if (trail >= 0x40 && trail <= 0xFC && trail != 0x7F) {
      wide.push_back(kReplacement);  // a well-formed pair that names no character
      ++i;
    } else {
      wide.push_back(kReplacement);  // a lead byte without its trail byte; read the next byte anew
    }
  }
  return wide;
}

std::string WideToAnsi(std::u16string_view wide, char defaultChar) {
  const Cp932Tables& t = Cp932();
  std::string ansi;
  ansi.reserve(wide.size() * 2);
  for (size_t i = 0; i < wide.size(); ++i) {
    const char16_t u = wide[i];
    if (IsHighSurrogate(u) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      ++i;  // a character beyond the basic plane: code page 932 has none
      ansi.push_back(defaultChar);
      continue;
    }
    const uint16_t code = t.FromWide(u);
    if (code == Cp932Tables::kNone) {
      ansi.push_back(defaultChar);
    } else if (code > 0xFF) {
      ansi.push_back(static_cast<char>(code >> 8));
      ansi.push_back(static_cast<char>(code & 0xFF));
    } else {
      ansi.push_back(static_cast<char>(code));
    }
  }
  return ansi;
}

std::u16string Utf8ToWide(std::string_view utf8) {
  std::u16string wide;
  wide.reserve(utf8.size());
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  while (p < end) {
    char32_t c = DecodeUtf8(p, end);
    if (c >= 0x10000) {
      c -= 0x10000;
      wide.push_back(static_cast<char16_t>(0xD800 + (c >> 10)));
      wide.push_back(static_cast<char16_t>(0xDC00 + (c & 0x3FF)));
    } else {
      wide.push_back(static_cast<char16_t>(c));
    }
  }
  return wide;
}

size_t WriteUtf8AsAnsi(std::string_view utf8, char defaultChar, char* out) {
  const Cp932Tables& t = Cp932();
  const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
  const auto* end = p + utf8.size();
  char* const start = out;
  while (p < end) {
    // Runs of ASCII, which code page 932 keeps as they are, go eight bytes at a time.
    uint64_t eight;
    while (end - p >= 8 && (std::memcpy(&eight, p, 8), (eight & 0x8080808080808080u) == 0)) {
      std::memcpy(out, p, 8);
      p += 8;
      out += 8;
    }
    if (p == end) break;
    const char32_t c = DecodeThreeByteUtf8(p, end);
    const uint16_t code = c < 0x10000 ? t.FromWide(static_cast<char16_t>(c)) : Cp932Tables::kNone;
    if (code == Cp932Tables::kNone) {
      *out++ = defaultChar;
    } else if (code > 0xFF) {
      *out++ = static_cast<char>(code >> 8);
      *out++ = static_cast<char>(code & 0xFF);
    } else {
      *out++ = static_cast<char>(code);
    }
  }
  return static_cast<size_t>(out - start);
}

std::string WideToUtf8(std::u16string_view wide) {
  std::string utf8;
  utf8.reserve(wide.size() * 3);
  for (size_t i = 0; i < wide.size(); ++i) {
    char32_t c = wide[i];
    if (IsHighSurrogate(wide[i]) && i + 1 < wide.size() && IsLowSurrogate(wide[i + 1])) {
      c = 0x10000 + ((c - 0xD800) << 10) + (wide[++i] - 0xDC00);
    } else if (IsHighSurrogate(wide[i]) || IsLowSurrogate(wide[i])) {
      c = kReplacement;
    }
    if (c < 0x80) {
      utf8.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
      utf8.push_back(static_cast<char>(0xC0 | c >> 6));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
      utf8.push_back(static_cast<char>(0xE0 | c >> 12));
      utf8.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
      utf8.push_back(static_cast<char>(0xF0 | c >> 18));
      utf8.push_back(static_cast<char>(0x80 | (c >> 12 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c >> 6 & 0x3F)));
      utf8.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
  }
  return utf8;
}

}  // namespace platform
