#include "worker/watch_worker.h"

#include <atomic>
#include <optional>
#include <string_view>
#include <system_error>
#include <thread>

#include "platform/runtime/free_memory.h"
#include "platform/ui/message_box.h"
#include "res/texts.h"
#include "service/check_log.h"
#include "service/check_outcome.h"
#include "service/router/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/check_status.h"
#include "worker/disarm_alert.h"
#include "worker/price_check.h"
#include "worker/price_recording.h"
#include "worker/worker_pause.h"

namespace worker {
namespace {

constexpr uint32_t kOneHour = 3'600'000;

// Set once the worker's thread has started; there is one worker per process.
std::atomic<bool> watchWorkerStarted{false};

// The tray shows what the check just made came to, with [SERVICE] on.
void TellTray(const ServiceSettings& service, const service::CheckOutcome& outcome) {
  NoteCheckStatus(service.Enabled() ? std::optional(outcome) : std::nullopt);
}

void RunTimeSaleQuery(const SettingsSnapshot& settings, const ServiceSettings& service) {
  const service::CheckOutcome read = service::SalesCheck(settings, service);
  TellTray(service, read);
  const int state = service::Described(read, 0).value;
  if (state == 1) {
    watchState.lastSalesState = 1;
  } else if (state == -2) {
    AfxMessageBox(texts::kTimeSaleEnded);
    watchState.lastSalesState = 2;
  } else {
    watchState.lastSalesState = 0;
  }
  watchState.lastHitCount = 0;
  if (watchState.lastSalesState == 2) DisarmAlert();
}

service::CheckOutcome RunCountQuery(const SettingsSnapshot& settings,
                                    const ServiceSettings& service) {
  watchState.lastSalesState = 0;
  const service::CheckOutcome counted = service::CountCheck(settings, service);
  const service::DescribedResult done = service::Described(counted, -1);
  watchState.lastHitCount = done.result == -1 ? -1 : done.value;
  TellTray(service, counted);
  return counted;
}

// A cycle that ends before its query still leaves its line in the check log.
void LogSkippedCycle(int32_t scanTimesale, service::Skip why) {
  service::CheckOutcome skipped = service::Skipped(why);
  skipped.check = scanTimesale != 0 ? service::kTimeSaleCheck : service::kCountCheck;
  service::WriteCheckLog(skipped);
}

// Whether the cycle's count check asks the price history's own question, so that its one answer
// serves both. The history wants the keyword's cheapest match with the narrowing and without the
// ceiling; the count check asks with the ceiling MaxPrice(scanPrice), which is none for an empty
// price: then both send the very same request. With a ceiling they may not share: the check
// reports what lies at or under the ceiling (the log's "count 3", the tip's 該当 3件, the
// notice's match), which an answer without it cannot tell, while an answer with it cannot tell
// the cheapest above; and a floor at or above the ceiling, or a ceiling below one yen, stops the
// check before it asks, not the history. So a ceiling costs a second request, paced as every
// other.
bool CountAsksForTheHistory(const SettingsSnapshot& s) {
  return s.scanFlag != 0 && s.scanTimesale == 0 && s.scanPrice.empty();
}

// One cycle: record the price, check the settings, query, decide, alert. The checks and the
// queries see one snapshot of the settings, so a query never runs with a keyword or price it did
// not check. The history's row comes before any box, which waits for the user.
void RunWatchCycle() {
  settings::LoadServiceSettings();  // as the service window last saved them
  const ServiceSettings service = SnapshotService();
  if (!service.Enabled()) NoteCheckStatus(std::nullopt);
  const SettingsSnapshot s = SnapshotSettings();
  const bool recording = service.RecordsPrices() && !s.scanKeyword.empty();
  const bool countServesTheHistory = recording && CountAsksForTheHistory(s);
  if (recording && !countServesTheHistory) RecordPrice(s, service::AskCheapestPrice(s, service));

  if (s.scanFlag == 0) {
    LogSkippedCycle(s.scanTimesale, service::Skip::kDisarmed);
    return;
  }

  const bool keywordMissing = s.scanKeyword.empty();
  if (keywordMissing) AfxMessageBox(texts::kNoKeyword);

  if (!s.scanPrice.empty()) {
    const int verdict = CheckPriceText(s.scanPrice);
    if (verdict != PriceAcceptable) {
      AfxMessageBox(verdict == PriceNegative ? texts::kPriceNegative : texts::kPriceNotNumber);
      LogSkippedCycle(s.scanTimesale, keywordMissing ? service::Skip::kNoKeywordBadPrice
                                                     : service::Skip::kBadPrice);
      return;
    }
  }
  if (keywordMissing) {
    LogSkippedCycle(s.scanTimesale, service::Skip::kNoKeyword);
    return;
  }

  std::optional<service::CheckOutcome> counted;
  if (s.scanTimesale != 0) {
    RunTimeSaleQuery(s, service);
  } else {
    counted = RunCountQuery(s, service);
    if (countServesTheHistory) RecordPrice(s, *counted);
  }

  if (watchState.lastHitCount == -1) return;
  if (watchState.lastHitCount > 0 || watchState.lastSalesState == 1) {
    // Beside the box, which waits for the user, the notice says what matched.
    if (counted) NoteAlert(*counted);
    AfxMessageBox(texts::kConditionMet);
    DisarmAlert();
  }
}

}  // namespace
}  // namespace worker

void WatchWorker(void* /*argument*/) {
  for (;;) {
    worker::RunWatchCycle();
    platform::ReturnFreeMemory();
    worker::PauseWorker(worker::kOneHour);
  }
}

void worker::StartWatchWorker() {
  if (watchWorkerStarted.exchange(true)) return;
  try {
    // Never joined: the worker ends with the process.
    std::thread(WatchWorker, nullptr).detach();
  } catch (const std::system_error&) {
    watchWorkerStarted = false;  // the program runs on without alerts
  }
}
