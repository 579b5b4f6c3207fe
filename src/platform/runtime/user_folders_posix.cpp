#include "platform/runtime/user_folders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <vector>

namespace platform {

namespace {

std::string HomeFolder() {
  if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') return home;
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) != 0 || found == nullptr)
    return {};
  return found->pw_dir[0] == '/' ? found->pw_dir : "";
}

}  // namespace

std::string XdgConfigHome() {
  // A relative XDG_CONFIG_HOME is invalid by the base-directory rules and is ignored.
  if (const char* config = std::getenv("XDG_CONFIG_HOME"); config != nullptr && config[0] == '/')
    return std::string(config) + "/";
  const std::string home = HomeFolder();
  return home.empty() ? "" : home + "/.config/";
}

std::string UserSettingsFolder() {
  const std::string config = XdgConfigHome();
  return config.empty() ? "" : config + "kobanu/";
}

bool CanCreateFilesIn(const std::string& folder) {
  return !folder.empty() && access(folder.c_str(), W_OK | X_OK) == 0;
}

bool IsSystemSoftwareFolder(const std::string& folder) { return folder.starts_with("/usr/"); }

}  // namespace platform
