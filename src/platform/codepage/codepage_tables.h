#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace platform {

// Code page 932 in both directions, read once from the C library's converter (iconv "CP932").
// glibc's table agrees with Microsoft's on every code page 932 character. Where it differs from
// Windows, we keep glibc's choice: U+2014, U+2212, U+301C and U+203E map to their code page 932
// look-alikes, U+00E9 and U+00A6 have no form (Windows folds them to e and |), and the single
// bytes 0x80, 0xA0 and 0xFD to 0xFF are not characters (Windows maps them to private code points).
//
// Both directions are sparse, so each is held in blocks of 256 entries, one per lead byte or per
// high byte of a UTF-16 unit that has characters, with one shared block of kNone for the rest:
// about 90 KB in place of 256 KB.
struct Cp932Tables {
  static constexpr uint16_t kNone = 0xFFFF;
  using Block = std::array<uint16_t, 256>;

  // Code point of each single byte; kNone for lead bytes and bytes that are no character.
  Block singleByte;
  // Whether a byte begins a double-byte sequence.
  std::array<bool, 256> isLeadByte;

  // Code point of a double-byte sequence; kNone where there is none.
  uint16_t DoubleByte(unsigned char lead, unsigned char trail) const {
    return blocks[leadBlock[lead]][trail];
  }
  // Code page 932 form of a UTF-16 unit: a single byte b as b, a double byte as lead << 8 |
  // trail; kNone where the code page lacks it. U+0000 maps to byte 0.
  uint16_t FromWide(char16_t unit) const { return blocks[wideBlock[unit >> 8]][unit & 0xFF]; }

  std::vector<Block> blocks;            // blocks[0] holds kNone only
  std::array<uint16_t, 256> leadBlock;  // by lead byte
  std::array<uint16_t, 256> wideBlock;  // by a UTF-16 unit's high byte
};

const Cp932Tables& Cp932();

}  // namespace platform
