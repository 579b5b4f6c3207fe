#include "platform/runtime/module_path.h"

#include <mutex>

#include "platform/runtime/system_paths.h"

namespace platform {

namespace {
// Never destroyed: the worker may still save the settings while the process ends.
std::mutex overrideMutex;
std::string& overridePath = *new std::string;
}  // namespace

std::string ExecutablePath() {
  {
    std::lock_guard lock(overrideMutex);
    if (!overridePath.empty()) return overridePath;
  }
  return SystemExecutablePath();
}

void SetExecutablePathForTesting(std::string path) {
  std::lock_guard lock(overrideMutex);
  overridePath = std::move(path);
}

}  // namespace platform
