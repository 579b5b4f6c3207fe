#include <chrono>
#include <cstdint>
#include <cstdlib>
#include <thread>

#include "app/kobanu_app.h"
#include "app/run_kobanu.h"
#include "service/described/described_queries.h"
#include "service/router/service_requests.h"
#include "worker/worker_pause.h"
#ifndef _WIN32
#include "platform/ui/qt/qt_tray_icon.h"
#endif

// Kobanu for the tests under Xvfb: the program itself, with both services on the stand-in mall
// that KOBANU_TEST_MALL_HOST names ("127.0.0.1:PORT"), its wait for a tray host shortened to
// KOBANU_TEST_TRAY_WAIT_MS (before it says that it runs without one) and its hour to
// KOBANU_TEST_CYCLE_MS when those are set.
CKobanuApp theApp;

namespace {

int cycleMs = 0;

void ShortPause(uint32_t) { std::this_thread::sleep_for(std::chrono::milliseconds(cycleMs)); }

}  // namespace

int main(int argc, char** argv) {
  if (const char* host = std::getenv("KOBANU_TEST_MALL_HOST"))
    service::SetServiceHostsForTesting({host, host});
#ifndef _WIN32  // Windows has its taskbar from the start
  if (const char* wait = std::getenv("KOBANU_TEST_TRAY_WAIT_MS"))
    ui::qt::SetTrayHostWaitForTesting(std::chrono::milliseconds(std::atoi(wait)));
#endif
  if (const char* cycle = std::getenv("KOBANU_TEST_CYCLE_MS")) {
    cycleMs = std::atoi(cycle);
    worker::SetWorkerPauseForTesting(ShortPause);
  }
  RunKobanu(argc, argv);
}
