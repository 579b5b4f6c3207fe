#pragma once

#include <array>
#include <cstdint>

namespace platform {

// Code page 932 in both directions, read once from the C library's converter (iconv "CP932").
// glibc's table agrees with Microsoft's on every code page 932 character. Where it differs from
// Windows, we keep glibc's choice: U+2014, U+2212, U+301C and U+203E map to their code page 932
// look-alikes, U+00E9 and U+00A6 have no form (Windows folds them to e and |), and the single
// bytes 0x80, 0xA0 and 0xFD to 0xFF are not characters (Windows maps them to private code points).
struct Cp932Tables {
  static constexpr uint16_t kNone = 0xFFFF;
  // Code point of each single byte; kNone for lead bytes and bytes that are no character.
  std::array<uint16_t, 256> singleByte;
  // Code point of each double-byte sequence (lead << 8 | trail); kNone where there is none.
  std::array<uint16_t, 65536> doubleByte;
  // Whether a byte begins a double-byte sequence.
  std::array<bool, 256> isLeadByte;
  // Code page 932 form of each UTF-16 unit: a single byte b as b, a double byte as lead << 8 |
  // trail; kNone where the code page lacks it. U+0000 maps to byte 0.
  std::array<uint16_t, 65536> fromWide;
};

const Cp932Tables& Cp932();

}  // namespace platform
