#include "support/worker_driver.h"

#include <condition_variable>
#include <mutex>

#include "worker/watch_worker.h"
#include "worker/worker_pause.h"

namespace testing_support {

namespace {

// Never destroyed: the worker still waits on it while the test program ends.
struct PauseGate {
  std::mutex mutex;
  std::condition_variable changed;
  int pauses = 0;         // pauses the worker has reached
  int cyclesAllowed = 0;  // cycles the test has let it run after its first
  uint32_t lastPauseMs = 0;
};
PauseGate& gate = *new PauseGate;

void DrivenPause(uint32_t milliseconds) {
  std::unique_lock lock(gate.mutex);
  gate.lastPauseMs = milliseconds;
  const int pause = ++gate.pauses;
  gate.changed.notify_all();
  gate.changed.wait(lock, [pause] { return gate.cyclesAllowed >= pause; });
}

}  // namespace

WorkerDriver::WorkerDriver(std::function<void(const std::function<bool()>&)> pump)
    : pump_(std::move(pump)) {
  worker::SetWorkerPauseForTesting(DrivenPause);
  worker::StartWatchWorker();
  WaitUntilPaused();
}

void WorkerDriver::RunCycle() {
  Release();
  WaitUntilPaused();
}

void WorkerDriver::Release() {
  std::lock_guard lock(gate.mutex);
  ++gate.cyclesAllowed;
  gate.changed.notify_all();
}

void WorkerDriver::WaitUntilPaused() {
  pump_([] {
    std::lock_guard lock(gate.mutex);
    return gate.pauses > gate.cyclesAllowed;
  });
}

int WorkerDriver::Pauses() const {
  std::lock_guard lock(gate.mutex);
  return gate.pauses;
}

uint32_t WorkerDriver::LastPauseMs() const {
  std::lock_guard lock(gate.mutex);
  return gate.lastPauseMs;
}

}  // namespace testing_support
