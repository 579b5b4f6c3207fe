#include "service/request_pacer.h"

#include <condition_variable>
#include <mutex>
#include <optional>
#include <thread>

namespace {

using Clock = std::chrono::steady_clock;

// Turns are counted from the end of a request: the service sees the next one arrive a whole
// interval after the previous one, however long either took on the way.
struct Pacer {
  std::mutex mutex;
  std::condition_variable turnEnded;
  bool turnTaken = false;
  std::chrono::milliseconds interval{1000};
  std::optional<Clock::time_point> lastEnd;
};

// Never destroyed: the worker is not stopped at exit and may be in the middle of a turn.
Pacer& pacer = *new Pacer;

}  // namespace

ServiceTurn::ServiceTurn() {
  std::unique_lock lock(pacer.mutex);
  pacer.turnEnded.wait(lock, [] { return !pacer.turnTaken; });
  pacer.turnTaken = true;
  const auto due = pacer.lastEnd ? *pacer.lastEnd + pacer.interval : Clock::now();
  lock.unlock();
  std::this_thread::sleep_until(due);
}

ServiceTurn::~ServiceTurn() {
  {
    std::lock_guard lock(pacer.mutex);
    pacer.turnTaken = false;
    pacer.lastEnd = Clock::now();
  }
  pacer.turnEnded.notify_one();
}

void SetServiceIntervalForTesting(std::chrono::milliseconds interval) {
  std::lock_guard lock(pacer.mutex);
  pacer.interval = interval;
}
