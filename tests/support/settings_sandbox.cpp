#include "support/settings_sandbox.h"

#include <cstdlib>

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
  std::lock_guard lock(watchState.serviceMutex);
  watchState.service = {};
}

SettingsSandbox::SettingsSandbox()
    : previousExecutable_(platform::SetExecutablePathForTesting(dir_.File("kobanu"))) {
  DecideSettingsPath();
  ResetSettings();
}

SettingsSandbox::~SettingsSandbox() {
  platform::SetExecutablePathForTesting(previousExecutable_);
  DecideSettingsPath();
  ResetSettings();
}

}  // namespace testing_support
