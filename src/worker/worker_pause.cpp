#include "worker/worker_pause.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace worker {

namespace {
std::atomic<WorkerPause> pauseForTesting{nullptr};
}  // namespace

void PauseWorker(uint32_t milliseconds) {
  if (auto pause = pauseForTesting.load()) return pause(milliseconds);
  // One sleep for the whole hour: no timer or poll wakes the process in between.
  std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

WorkerPause SetWorkerPauseForTesting(WorkerPause pause) { return pauseForTesting.exchange(pause); }

}  // namespace worker
