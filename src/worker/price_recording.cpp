#include "worker/price_recording.h"

#include <cstdint>
#include <limits>
#include <optional>

#include "platform/logfile/log_file.h"
#include "service/outcome_text.h"
#include "service/price_history.h"
#include "service/text_encoding.h"

namespace worker {

void RecordPrice(const SettingsSnapshot& settings, const service::CheckOutcome& asked) {
  service::PriceRecord row{
      .time = platform::LocalTimeText().substr(0, 16),  // to the minute
      .keyword = AnsiToUtf8(settings.scanKeyword.c_str()),
      // The check log's words without the cause and fix that follow a failure's.
      .outcome = service::TextOf(asked).head};
  if (asked.Answered()) row.count = asked.found;
  if (asked.cheapest) {
    const std::optional<uint64_t> price = asked.cheapest->price;
    if (price && *price <= uint64_t{std::numeric_limits<int64_t>::max()}) {
      row.price = static_cast<int64_t>(*price);
    }
    row.name = asked.cheapest->name;
    row.address = asked.cheapest->address;
  }
  service::AppendPriceRecord(row);
}

}  // namespace worker
