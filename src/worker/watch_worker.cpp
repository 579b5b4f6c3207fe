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
#include "service/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/check_status.h"
#include "worker/disarm_alert.h"
#include "worker/price_check.h"
#include "worker/worker_pause.h"

namespace {

constexpr uint32_t kOneHour = 3'600'000;

// Set once the worker's thread has started; there is one worker per process.
std::atomic<bool> watchWorkerStarted{false};

bool ServiceIsOn() {
  std::lock_guard lock(watchState.serviceMutex);
  return watchState.service.Enabled();
}

// The tray shows what the check just made came to, with [SERVICE] on.
void TellTray(std::string_view check) {
  NoteCheckStatus(ServiceIsOn() ? std::optional(LastOutcome(check)) : std::nullopt);
}

void RunTimeSaleQuery(const SettingsSnapshot& settings) {
  int state = 0;
  QuerySalesStatus(state, settings);
  TellTray(kTimeSaleCheck);
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

void RunCountQuery(const SettingsSnapshot& settings) {
  watchState.lastSalesState = 0;
  int count = -1;
  watchState.lastHitCount = QueryHitCount(count, settings) == -1 ? -1 : count;
  TellTray(kCountCheck);
}

// A cycle that ends before its query still leaves its line in the check log.
void LogSkippedCycle(int32_t scanTimesale, Skip why) {
  WriteCheckLog(scanTimesale != 0 ? kTimeSaleCheck : kCountCheck, Skipped(why));
}

// One cycle: check the settings, query, decide, alert. The checks and the query see one
// snapshot of the settings, so the query never runs with a keyword or price it did not check.
void RunWatchCycle() {
  LoadServiceSettings();  // as the service window last saved them
  if (!ServiceIsOn()) NoteCheckStatus(std::nullopt);
  if (watchState.settings.scanFlag == 0) {
    LogSkippedCycle(watchState.settings.scanTimesale, Skip::kDisarmed);
    return;
  }
  const SettingsSnapshot s = SnapshotSettings();

  const bool keywordMissing = s.scanKeyword.empty();
  if (keywordMissing) AfxMessageBox(texts::kNoKeyword);

  if (!s.scanPrice.empty()) {
    const int verdict = CheckPriceText(s.scanPrice);
    if (verdict != PriceAcceptable) {
      AfxMessageBox(verdict == PriceNegative ? texts::kPriceNegative : texts::kPriceNotNumber);
      LogSkippedCycle(s.scanTimesale, keywordMissing ? Skip::kNoKeywordBadPrice : Skip::kBadPrice);
      return;
    }
  }
  if (keywordMissing) {
    LogSkippedCycle(s.scanTimesale, Skip::kNoKeyword);
    return;
  }

  if (s.scanTimesale != 0) {
    RunTimeSaleQuery(s);
  } else {
    RunCountQuery(s);
  }

  if (watchState.lastHitCount == -1) return;
  if (watchState.lastHitCount > 0 || watchState.lastSalesState == 1) {
    // Beside the box, which waits for the user, the notice says what matched.
    if (s.scanTimesale == 0) NoteAlert(LastOutcome(kCountCheck));
    AfxMessageBox(texts::kConditionMet);
    DisarmAlert();
  }
}

}  // namespace

void WatchWorker(void* /*argument*/) {
  for (;;) {
    RunWatchCycle();
    platform::ReturnFreeMemory();
    PauseWorker(kOneHour);
  }
}

void StartWatchWorker() {
  if (watchWorkerStarted.exchange(true)) return;
  try {
    // Never joined: the worker ends with the process.
    std::thread(WatchWorker, nullptr).detach();
  } catch (const std::system_error&) {
    watchWorkerStarted = false;  // the program runs on without alerts
  }
}
