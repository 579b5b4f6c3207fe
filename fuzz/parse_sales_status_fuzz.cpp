// ParseSalesStatus on any page, checked against the plain cut-and-search steps.
#include <cstdlib>
#include <string>

#include "service/described/sales_status_reader.h"
#include "support/reader_transcription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string page(reinterpret_cast<const char*>(data), size);
  if (ParseSalesStatus(page) != transcription::ParseSalesStatus(page)) abort();
  return 0;
}
