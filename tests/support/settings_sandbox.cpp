#include "support/settings_sandbox.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>

#include "platform/profile/writer_lock.h"
#include "platform/runtime/module_path.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"

namespace testing_support {

void SetEnvironment(const char* name, const std::string& value) {
#ifdef _WIN32
  _putenv_s(name, value.c_str());
#else
  if (value.empty()) {
    unsetenv(name);
  } else {
    setenv(name, value.c_str(), 1);
  }
#endif
}

void ResetSettings() {
  WatchSettings& s = watchState.settings;
  s.scanFlag = 0;
  s.scanKeyword = "";
  s.scanPrice = "";
  s.scanZaiko = 0;
  s.scanTimesale = 0;
  watchState.service = ServiceSettings{};
}

SettingsSandbox::SettingsSandbox()
    : previousExecutable_(platform::SetExecutablePathForTesting(dir_.File("kobanu"))) {
  settings::DecideSettingsPath();
  ResetSettings();
}

SettingsSandbox::~SettingsSandbox() {
  platform::SetExecutablePathForTesting(previousExecutable_);
  settings::DecideSettingsPath();
  ResetSettings();
}

std::ptrdiff_t SettingsSandbox::FileCount() const {
  const std::filesystem::path lock = platform::WriterLockPath(IniPath());
  return std::count_if(std::filesystem::directory_iterator(dir_.path()), {},
                       [&](const auto& entry) { return entry.path() != lock; });
}

}  // namespace testing_support
