#include "platform/http/http_limits.h"

#include <atomic>
#include <mutex>

namespace platform::http {

namespace {
std::mutex limitsMutex;
Limits limits;
std::atomic<bool> nameResolutionFails{false};
}  // namespace

Limits CurrentLimits() {
  std::lock_guard lock(limitsMutex);
  return limits;
}

void SetLimitsForTesting(const Limits& newLimits) {
  std::lock_guard lock(limitsMutex);
  limits = newLimits;
}

bool NameResolutionFails() { return nameResolutionFails; }

void SetNameResolutionFailsForTesting(bool fail) { nameResolutionFails = fail; }

}  // namespace platform::http
