#pragma once

#include <cstdint>

namespace worker {

// The worker's pause between two cycles: the platform's sleep, in milliseconds.
void PauseWorker(uint32_t milliseconds);

// Tests drive the cycles themselves: the pause then calls this instead of sleeping (null: sleep).
// Returns the one it replaces.
using WorkerPause = void (*)(uint32_t milliseconds);
WorkerPause SetWorkerPauseForTesting(WorkerPause pause);

}  // namespace worker
