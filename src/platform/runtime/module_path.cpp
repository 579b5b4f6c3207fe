#include "platform/runtime/module_path.h"

#include <filesystem>
#include <mutex>
#include <system_error>

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
  std::error_code error;
  auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

void SetExecutablePathForTesting(std::string path) {
  std::lock_guard lock(overrideMutex);
  overridePath = std::move(path);
}

}  // namespace platform
