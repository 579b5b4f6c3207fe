// ParseHitCount on any body, checked against the plain cut-and-search steps.
#include <cstdlib>
#include <string>

#include "service/described/item_search_reader.h"
#include "support/reader_transcription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  int count = 0, expectedCount = 0;
  if (ParseHitCount(body, count) != transcription::ParseHitCount(body, expectedCount) ||
      count != expectedCount) {
    abort();
  }
  return 0;
}
