// The price history's reader on any bytes: at most the rows asked for, each one that PriceRow
// writes as one line, and each read back from that line as it was.
#include <cstdlib>
#include <string>
#include <vector>

#include "service/price_record.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string text(reinterpret_cast<const char*>(data), size);
  constexpr size_t kMaxRows = 50;
  const std::vector<service::PriceRecord> rows = service::ReadPriceRows(text, kMaxRows);
  if (rows.size() > kMaxRows) abort();
  for (const service::PriceRecord& row : rows) {
    const std::string line = service::PriceRow(row);
    if (line.find_first_of("\r\n") != line.size() - 2) abort();
    const std::vector<service::PriceRecord> again = service::ReadPriceRows(line, kMaxRows);
    if (again.size() != 1 || again[0] != row) abort();
  }
  return 0;
}
