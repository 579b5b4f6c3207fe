// ParseHitList on any body, checked against the plain cut-and-search steps.
#include <cstdlib>
#include <string>

#include "service/described/clear_hit_table.h"
#include "service/described/item_search_reader.h"
#include "state/watch_state.h"
#include "support/reader_transcription.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  ClearHitTable();
  watchState.hitCount = 3;
  HitTable expected;
  int expectedHitCount = 3;
  const int result = ParseHitList(body);
  const HitTable& table = watchState.hitTable;
  if (result != transcription::ParseHitList(body, expected, expectedHitCount) ||
      watchState.hitCount != expectedHitCount || table.itemName != expected.itemName ||
      table.itemCode != expected.itemCode || table.itemPrice != expected.itemPrice ||
      table.affiliateUrl != expected.affiliateUrl || table.pointRate != expected.pointRate ||
      table.shopName != expected.shopName || table.rowIndex != expected.rowIndex) {
    abort();
  }
  return 0;
}
