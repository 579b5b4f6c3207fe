#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <thread>

#include <gtest/gtest.h>

#include "res/program_resources.h"
#include "service/described/clear_hit_table.h"
#include "service/described/described_queries.h"
#include "service/router/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/headless_backend.h"
#include "support/mall_keywords.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"
#include "worker/watch_worker.h"
#include "worker/worker_pause.h"

namespace {

// Cycles the worker may run before it stops for good; KOBANU_SOAK_CYCLES asks for a longer soak.
int CycleBudget() {
  const char* text = std::getenv("KOBANU_SOAK_CYCLES");
  return text != nullptr ? std::atoi(text) : 150;
}

std::atomic<int> cycles{0};

// Never destroyed: the worker waits on it while the test program ends.
struct Stop {
  std::mutex mutex;
  std::condition_variable never;
};
Stop& stop = *new Stop;

// An hour lasts two milliseconds, so that the cycles interleave with the UI thread's work, until
// the budget is spent.
void QuickPause(uint32_t) {
  if (++cycles < CycleBudget()) {
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return;
  }
  std::unique_lock lock(stop.mutex);
  stop.never.wait(lock, [] { return false; });
}

// The worker cycling against the stand-in mall while this thread, standing for the UI thread,
// edits the settings, loads and saves them and runs the hit list, as a user might all at once.
TEST(WorkerSoak, WorkerAndUiThreadShareTheStateSafely) {
  RegisterResources(ProgramResources());
  auto& ui = ui::headless::InstallHeadlessBackend();
  testing_support::SettingsSandbox sandbox;
  testing_support::StandInMall mall;
  service::SetServiceHostsForTesting({mall.host(), mall.host()});
  WatchSettings& settings = watchState.settings;
  const std::string keywords[] = {testing_support::kWatch, "", testing_support::kFukubukuro,
                                  testing_support::kNothing};
  const std::string prices[] = {"", "abc", "100000", "-1"};

  settings.scanFlag = 1;
  settings.scanKeyword = keywords[0];
  worker::SetWorkerPauseForTesting(QuickPause);
  worker::StartWatchWorker();
  for (int i = 0; cycles < CycleBudget(); ++i) {
    settings.scanFlag = 1;
    settings.scanKeyword = keywords[i % 4];
    settings.scanPrice = prices[i / 4 % 4];
    settings.scanTimesale = i / 16 % 2;
    settings.scanZaiko = i % 3 == 0;
    if (i % 5 == 0) SaveSettings();
    if (i % 7 == 0) LoadSettings();
    if (i % 3 == 0) {
      ClearHitTable();
      QueryHitList();
    }
    ui.PumpUntil([] { return false; }, std::chrono::milliseconds(1));
  }
  SaveSettings();
  LoadSettings();
  const std::string file = testing_support::ReadFile(sandbox.IniPath());
  for (const char* key :
       {"SCAN_FLAG=", "SCAN_KEYWORD=", "SCAN_PRICE=", "SCAN_ZAIKO=", "SCAN_TIMESALE="}) {
    EXPECT_NE(file.find(std::string("\r\n") + key), std::string::npos) << key;
  }
  EXPECT_GE(cycles, CycleBudget());
}

}  // namespace
