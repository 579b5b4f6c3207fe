// Utf8ToAnsi on any bytes: never null, the same as the hop through UTF-16, and a body without bytes
// beyond ASCII comes back as it was.
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/codepage/codepage.h"
#include "service/text_encoding.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string bytes(reinterpret_cast<const char*>(data), size);
  const auto ansi = Utf8ToAnsi(bytes.c_str());
  if (!ansi) abort();
  const std::string text = bytes.c_str();  // the converter reads up to the first zero byte
  bool ascii = true;
  for (const char c : text) ascii = ascii && static_cast<unsigned char>(c) < 0x80;
  if (ascii && text != ansi.get()) abort();
  if (platform::WideToAnsi(platform::Utf8ToWide(text), ' ') != ansi.get()) abort();
  return 0;
}
