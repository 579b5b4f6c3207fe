// EncodeKeyword on any bytes: only '%' and upper-case hex digits, three for each UTF-8 byte.
#include <cstdlib>
#include <string>

#include "service/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string keyword(reinterpret_cast<const char*>(data), size);
  const std::string encoded = EncodeKeyword(keyword.c_str());
  if (encoded.size() != AnsiToUtf8(keyword.c_str()).size() * 3) abort();
  for (size_t i = 0; i < encoded.size(); ++i) {
    const char c = encoded[i];
    const bool ok = i % 3 == 0 ? c == '%' : (c >= '0' && c <= '9') || (c >= 'A' && c <= 'F');
    if (!ok) abort();
  }
  return 0;
}
