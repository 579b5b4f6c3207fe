// The readers of the IchibaItem/Search service's answers on any body: no crash, and results within
// their bounds; a failed hit list writes nothing; the sale windows read as times or as nothing;
// what the reading takes for JSON, nlohmann/json takes too, and the other way round.
#include <algorithm>
#include <cstdlib>
#include <string>

#include <nlohmann/json.hpp>

#include "base/utf8.h"
#include "service/check_outcome.h"
#include "service/described/clear_hit_table.h"
#include "service/ichiba/answer_fields.h"
#include "service/ichiba/json_answer.h"
#include "service/outcome_text.h"
#include "state/watch_state.h"

namespace {

using nlohmann::json;

// nlohmann/json's verdict on a body: whether it is JSON, its root an object, and how deep it
// nests. A number beyond a double's range is an error to it and a number to the reading; a NUL
// byte ends the text for it and is no JSON to the reading.
struct NlohmannVerdict : nlohmann::json_sax<json> {
  bool sound = true;
  bool overflow = false;
  bool rootObject = false;
  size_t depth = 0;
  size_t deepest = 0;

  bool null() override { return true; }
  bool boolean(bool) override { return true; }
  bool number_integer(number_integer_t) override { return true; }
  bool number_unsigned(number_unsigned_t) override { return true; }
  bool number_float(number_float_t, const string_t&) override { return true; }
  bool string(string_t&) override { return true; }
  bool binary(binary_t&) override { return true; }
  bool key(string_t&) override { return true; }
  bool start_object(size_t) override { return Open(true); }
  bool start_array(size_t) override { return Open(false); }
  bool end_object() override { return Close(); }
  bool end_array() override { return Close(); }
  bool parse_error(size_t, const std::string&, const nlohmann::detail::exception& error) override {
    overflow = dynamic_cast<const json::out_of_range*>(&error) != nullptr;
    return sound = false;
  }
  bool Open(bool object) {
    if (depth == 0) rootObject = object;
    deepest = std::max(deepest, ++depth);
    return true;
  }
  bool Close() {
    --depth;
    return true;
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string body(reinterpret_cast<const char*>(data), size);
  NlohmannVerdict verdict;
  json::sax_parse(body, &verdict);
  const bool read = service::ReadAnswerFields(body).has_value();
  if (!verdict.overflow && body.find('\0') == std::string::npos &&
      read !=
          (verdict.sound && verdict.rootObject && verdict.deepest <= service::kMaxAnswerDepth)) {
    abort();
  }

  if (const auto count = service::ReadJsonCount(body); count && *count < 0) abort();

  ClearHitTable();
  watchState.hitCount = 99;
  const int listed = service::ReadJsonHitList(body);
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

  const auto windows = service::ReadJsonSaleWindows(body);
  if (windows && windows->size() > static_cast<size_t>(MaxHits)) abort();
  if (windows) service::SaleVerdict(*windows, 1796601600, 1796598000);

  // What the tip, the notice and --check show of the cheapest match: whole characters, and no
  // control character but TAB (VisibleText keeps it) and the notice's one line break.
  if (const auto match = service::ReadJsonCheapest(body)) {
    const std::string notice = service::MatchNotice(*match);
    const std::string line = service::MatchLine(*match);
    const auto controlled = [](const std::string& text) {
      return std::any_of(text.begin(), text.end(),
                         [](char c) { return static_cast<unsigned char>(c) < 0x20 && c != '\t'; });
    };
    const size_t lineBreak = notice.find('\n');
    if (!IsUtf8(notice) || !IsUtf8(line) || controlled(line) || lineBreak == std::string::npos ||
        controlled(notice.substr(0, lineBreak)) || controlled(notice.substr(lineBreak + 1))) {
      abort();
    }
  }

  service::ReadServiceError(body);
  return 0;
}
