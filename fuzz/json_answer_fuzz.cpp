// The readers of the IchibaItem/Search service's answers on any body: no crash, and results within
// their bounds; a failed hit list writes nothing; the sale windows read as times or as nothing.
#include <algorithm>
#include <cstdlib>
#include <string>

#include "base/utf8.h"
#include "service/described/clear_hit_table.h"
#include "service/ichiba/json_answer.h"
#include "service/outcome_text.h"
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

  // What the tip, the notice and --check show of the cheapest match: whole characters, and no
  // control character but the notice's one line break.
  if (const auto match = ReadJsonCheapest(body)) {
    const std::string notice = MatchNotice(*match);
    const std::string line = MatchLine(*match);
    const auto controlled = [](const std::string& text) {
      return std::any_of(text.begin(), text.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20; });
    };
    const size_t lineBreak = notice.find('\n');
    if (!IsUtf8(notice) || !IsUtf8(line) || controlled(line) || lineBreak == std::string::npos ||
        controlled(notice.substr(0, lineBreak)) || controlled(notice.substr(lineBreak + 1))) {
      abort();
    }
  }

  ReadServiceError(body);
  return 0;
}
