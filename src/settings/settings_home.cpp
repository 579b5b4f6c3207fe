#include "settings/settings_home.h"

#include <filesystem>
#include <mutex>
#include <system_error>

#include "base/no_destructor.h"
#include "platform/runtime/module_path.h"
#include "platform/runtime/user_folders.h"

namespace settings {

namespace {

constexpr const char* kFileName = "setting.ini";

// Never destroyed: the worker may still save while the process ends.
std::mutex pathMutex;
NoDestructor<std::string> decidedPath;
bool decided = false;  // under pathMutex

// Anything by that name, a dangling link too; a path the system refuses is none.
bool Exists(const std::string& path) {
  std::error_code error;
  return std::filesystem::exists(std::filesystem::symlink_status(path, error));
}

std::string ChooseSettingsPath() {
  const std::string executable = platform::ExecutablePath();
  if (!executable.empty()) {
    const platform::PathParts parts = platform::SplitPath(executable);
    const std::string folder = parts.drive + parts.dir;
    const std::string besideExecutable = folder + kFileName;
    // A folder too deep for the file functions is as closed as a read-only one, and so is the
    // system's (the Debian package's /usr/lib/kobanu), even to root.
    if (!folder.empty() && besideExecutable.size() < platform::kMaxPathLength &&
        !platform::IsSystemSoftwareFolder(folder)) {
      if (Exists(besideExecutable) || platform::CanCreateFilesIn(folder)) return besideExecutable;
    }
  }
  // Never the current directory: with the executable's folder unknown or closed, the user's own.
  const std::string userFolder = platform::UserSettingsFolder();
  return userFolder.empty() ? "" : userFolder + kFileName;
}

}  // namespace

void DecideSettingsPath() {
  std::string path = ChooseSettingsPath();
  std::lock_guard lock(pathMutex);
  *decidedPath = std::move(path);
  decided = true;
}

std::string SettingsPath() {
  {
    std::lock_guard lock(pathMutex);
    if (decided) return *decidedPath;
  }
  DecideSettingsPath();
  std::lock_guard lock(pathMutex);
  return *decidedPath;
}

bool MakeSettingsFolder(const std::string& settingsPath) {
  const std::filesystem::path folder = std::filesystem::path(settingsPath).parent_path();
  std::error_code error;
  if (folder.empty() || std::filesystem::is_directory(folder, error)) return true;
  std::filesystem::create_directories(folder, error);
  return !error;
}

}  // namespace settings
