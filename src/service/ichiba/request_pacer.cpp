#include "service/ichiba/request_pacer.h"

#include <algorithm>
#include <mutex>
#include <thread>
#include <utility>

namespace service {

namespace {

using Clock = std::chrono::steady_clock;

struct Pacer {
  std::mutex mutex;
  std::chrono::milliseconds interval = kServiceInterval;
  Clock::time_point nextStart{};  // the earliest start not yet reserved
};

// Never destroyed: the worker is not stopped at exit and may be waiting for its turn.
Pacer& pacer = *new Pacer;

}  // namespace

void WaitForServiceTurn() {
  Clock::time_point start;
  {
    std::lock_guard lock(pacer.mutex);
    start = std::max(Clock::now(), pacer.nextStart);
    pacer.nextStart = start + pacer.interval;
  }
  std::this_thread::sleep_until(start);
}

std::chrono::milliseconds SetServiceIntervalForTesting(std::chrono::milliseconds interval) {
  std::lock_guard lock(pacer.mutex);
  pacer.nextStart = {};
  return std::exchange(pacer.interval, interval);
}

}  // namespace service
