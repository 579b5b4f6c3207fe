#include "platform/runtime/module_path.h"

#include <mutex>
#include <utility>

#include "platform/runtime/system_paths.h"

namespace platform {

namespace {
// Never destroyed: the worker may still save the settings while the process ends. Built on
// first use, so that the statics built before main (the application object) may ask for it.
std::mutex overrideMutex;
std::string& OverridePath() {
  static std::string* const path = new std::string;
  return *path;
}
}  // namespace

std::string ExecutablePath() {
  {
    std::lock_guard lock(overrideMutex);
    if (!OverridePath().empty()) return OverridePath();
  }
  return SystemExecutablePath();
}

std::string SetExecutablePathForTesting(std::string path) {
  std::lock_guard lock(overrideMutex);
  return std::exchange(OverridePath(), std::move(path));
}

}  // namespace platform
