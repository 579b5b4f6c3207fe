#include "platform/http/http_limits.h"

#include <atomic>
#include <mutex>

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

void SetLimitsForTesting(const Limits& newLimits) {
  std::lock_guard lock(limitsMutex);
  limits = newLimits;
}

bool NameResolutionFails() { return nameResolutionFails; }

void SetNameResolutionFailsForTesting(bool fail) { nameResolutionFails = fail; }

#ifdef KOBANU_HTTP_TEST_CA
std::string TrustedCaFile() {
  std::lock_guard lock(limitsMutex);
  return trustedCaFile;
}

void SetTrustedCaFileForTesting(const std::string& path) {
  std::lock_guard lock(limitsMutex);
  trustedCaFile = path;
}
#endif

}  // namespace platform::http
