#include "service/request_pacer.h"

#include <mutex>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Held while a caller waits, so that callers take their turns one after the other.
std::mutex pacerMutex;
std::chrono::milliseconds interval{1000};
std::optional<Clock::time_point> lastTurn;

}  // namespace

void WaitForServiceTurn() {
  std::lock_guard lock(pacerMutex);
  if (lastTurn) std::this_thread::sleep_until(*lastTurn + interval);
  lastTurn = Clock::now();
}

void SetServiceIntervalForTesting(std::chrono::milliseconds newInterval) {
  std::lock_guard lock(pacerMutex);
  interval = newInterval;
}
