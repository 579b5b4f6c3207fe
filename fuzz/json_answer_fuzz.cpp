// The readers of the IchibaItem/Search service's answers on any body: no crash, and results within
// their bounds; a failed hit list writes nothing; the sale windows read as times or as nothing.
#include <cstdlib>
#include <string>

#include "service/clear_hit_table.h"
#include "service/json_answer.h"
#include "state/watch_state.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  if (const auto count = ReadJsonCount(body); count && *count < 0) abort();

  ClearHitTable();
  watchState.hitCount = 99;
  const int listed = ReadJsonHitList(body);
  const HitTable& table = watchState.hitTable;
  if (listed == -1) {
    if (watchState.hitCount != 99 || !table.itemName[0].empty() || !table.rowIndex[0].empty()) {
      abort();
    }
  } else if (listed != 0 || watchState.hitCount < 0 || watchState.hitCount > MaxHits ||
             (watchState.hitCount > 0 &&
              table.rowIndex[watchState.hitCount - 1] != std::to_string(watchState.hitCount - 1))) {
    abort();
  }

  const auto windows = ReadJsonSaleWindows(body);
  if (windows && windows->size() > static_cast<size_t>(MaxHits)) abort();
  if (windows) SaleVerdict(*windows, 1796601600, 1796598000);

  ReadServiceError(body);
  return 0;
}
