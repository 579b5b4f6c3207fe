#include "support/settings_sandbox.h"

#include "platform/runtime/module_path.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"

namespace testing_support {

void ResetSettings() {
  WatchSettings& s = watchState.settings;
  s.scanFlag = 0;
  s.scanKeyword = "";
  s.scanPrice = "";
  s.scanZaiko = 0;
  s.scanTimesale = 0;
}

SettingsSandbox::SettingsSandbox() {
  platform::SetExecutablePathForTesting(dir_.File("kobanu"));
  DecideSettingsPath();
  ResetSettings();
}

SettingsSandbox::~SettingsSandbox() {
  platform::SetExecutablePathForTesting("");
  DecideSettingsPath();
  ResetSettings();
}

}  // namespace testing_support
