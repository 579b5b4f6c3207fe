#pragma once

#include <cstdint>

// The worker's pause between two cycles: the platform's sleep, in milliseconds.
void PauseWorker(uint32_t milliseconds);

// Tests drive the cycles themselves: the pause then calls this instead of sleeping.
void SetWorkerPauseForTesting(void (*pause)(uint32_t milliseconds));
