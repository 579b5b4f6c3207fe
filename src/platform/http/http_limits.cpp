#include "platform/http/http_limits.h"

#include <atomic>
#include <mutex>
#include <utility>

namespace platform::http {

namespace {
std::mutex limitsMutex;
Limits limits;
std::atomic<bool> nameResolutionFails{false};
#ifdef KOBANU_HTTP_TEST_CA
std::string trustedCaFile;  // under limitsMutex
#endif
}  // namespace

Limits CurrentLimits() {
  std::lock_guard lock(limitsMutex);
  return limits;
}

Limits SetLimitsForTesting(const Limits& newLimits) {
  std::lock_guard lock(limitsMutex);
  return std::exchange(limits, newLimits);
}

bool NameResolutionFails() { return nameResolutionFails; }

bool SetNameResolutionFailsForTesting(bool fail) { return nameResolutionFails.exchange(fail); }

#ifdef KOBANU_HTTP_TEST_CA
std::string TrustedCaFile() {
  std::lock_guard lock(limitsMutex);
  return trustedCaFile;
}

std::string SetTrustedCaFileForTesting(const std::string& path) {
  std::lock_guard lock(limitsMutex);
  return std::exchange(trustedCaFile, path);
}
#endif

}  // namespace platform::http
