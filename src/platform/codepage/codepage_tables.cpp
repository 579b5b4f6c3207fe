#include "platform/codepage/codepage_tables.h"

#include <iconv.h>

#include <algorithm>
#include <memory>

namespace platform {

namespace {

// Converts one character with iconv; returns the number of output bytes, 0 when it is rejected.
size_t ConvertOne(iconv_t cd, const char* in, size_t inSize, char* out, size_t outSize) {
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  char* inPtr = const_cast<char*>(in);
  char* outPtr = out;
  size_t inLeft = inSize;
  size_t outLeft = outSize;
  if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
    return 0;
  }
  return outSize - outLeft;
}

struct IconvHandle {
  explicit IconvHandle(const char* to, const char* from) : cd(iconv_open(to, from)) {}
  ~IconvHandle() {
    if (cd != reinterpret_cast<iconv_t>(-1)) iconv_close(cd);
  }
  IconvHandle(const IconvHandle&) = delete;
  IconvHandle& operator=(const IconvHandle&) = delete;
  iconv_t cd;
};

uint16_t ToUnit(const char* utf16le) {
  return static_cast<uint16_t>(static_cast<unsigned char>(utf16le[0]) |
                               static_cast<unsigned char>(utf16le[1]) << 8);
}

// Adds block to the tables and returns its index; a block without characters is the shared
// first one.
uint16_t AddBlock(Cp932Tables& t, const Cp932Tables::Block& block) {
  if (std::all_of(block.begin(), block.end(), [](uint16_t e) { return e == Cp932Tables::kNone; }))
    return 0;
  t.blocks.push_back(block);
  return static_cast<uint16_t>(t.blocks.size() - 1);
}

void FillToWide(Cp932Tables& t) {
  IconvHandle handle("UTF-16LE", "CP932");
  t.singleByte.fill(Cp932Tables::kNone);
  t.isLeadByte.fill(false);
  t.leadBlock.fill(0);
  char out[8];
  for (int b = 0; b < 256; ++b) {
    const char in[1] = {static_cast<char>(b)};
    if (ConvertOne(handle.cd, in, 1, out, sizeof out) == 2) t.singleByte[b] = ToUnit(out);
  }
  // The lead-byte ranges of code page 932, whether or not a row holds characters.
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead > 0x9F && lead < 0xE0) continue;
    t.isLeadByte[lead] = true;
    Cp932Tables::Block row;
    row.fill(Cp932Tables::kNone);
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      const char in[2] = {static_cast<char>(lead), static_cast<char>(trail)};
      if (ConvertOne(handle.cd, in, 2, out, sizeof out) == 2) row[trail] = ToUnit(out);
    }
    t.leadBlock[lead] = AddBlock(t, row);
  }
}

void FillFromWide(Cp932Tables& t) {
  IconvHandle handle("CP932", "UTF-16LE");
  char out[8];
  for (int high = 0; high < 256; ++high) {
    Cp932Tables::Block page;
    page.fill(Cp932Tables::kNone);
    for (int low = 0; low < 256; ++low) {
      const int u = high << 8 | low;
      if (u >= 0xD800 && u <= 0xDFFF) continue;
      const char in[2] = {static_cast<char>(low), static_cast<char>(high)};
      const size_t n = ConvertOne(handle.cd, in, 2, out, sizeof out);
      if (n == 1) {
        page[low] = static_cast<unsigned char>(out[0]);
      } else if (n == 2) {
        page[low] = static_cast<uint16_t>(static_cast<unsigned char>(out[0]) << 8 |
                                          static_cast<unsigned char>(out[1]));
      }
    }
    t.wideBlock[high] = AddBlock(t, page);
  }
}

std::unique_ptr<Cp932Tables> Build() {
  auto tables = std::make_unique<Cp932Tables>();
  tables->blocks.reserve(1 + 60 + 256);  // at most: trimmed below
  tables->blocks.emplace_back().fill(Cp932Tables::kNone);
  FillToWide(*tables);
  FillFromWide(*tables);
  tables->blocks.shrink_to_fit();
  return tables;
}

}  // namespace

const Cp932Tables& Cp932() {
  // Built on first use; never destroyed, since the worker may still convert while the process ends.
  static const Cp932Tables* const tables = Build().release();
  return *tables;
}

}  // namespace platform
