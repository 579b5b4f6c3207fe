#include "settings/settings_file.h"

#include "platform/profile/profile_functions.h"
#include "platform/runtime/module_path.h"
#include "platform/runtime/numbers.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"

namespace {

constexpr const char* kSection = "PARAM";

// Rebuilds iniPath from the path decided at start-up, as every load and save does. The caller
// holds iniMutex.
void BuildIniPath() {
  watchState.iniPath = SettingsPath();
  const platform::PathParts parts = platform::SplitPath(watchState.iniPath);
  watchState.iniDrive = parts.drive;
  watchState.iniDir = parts.dir;
  watchState.iniName = parts.name + parts.ext;
}

const char* FlagText(int32_t flag) { return flag != 0 ? "1" : "0"; }

}  // namespace

void LoadSettings() {
  std::lock_guard lock(watchState.iniMutex);
  BuildIniPath();
  // A missing key gives the default " ", which the profile reader trims to the empty text.
  // No known place reads as no file; an empty name would send the reader elsewhere.
  auto read = [](const char* key) -> const std::string& {
    watchState.iniValue = watchState.iniPath.empty()
                              ? std::string()
                              : platform::ReadProfileString(kSection, key, " ", watchState.iniPath);
    return watchState.iniValue;
  };
  WatchSettings& s = watchState.settings;
  s.scanFlag = platform::Atoi(read("SCAN_FLAG"));
  s.scanKeyword = read("SCAN_KEYWORD");
  s.scanPrice = read("SCAN_PRICE");
  s.scanZaiko = platform::Atoi(read("SCAN_ZAIKO"));
  s.scanTimesale = platform::Atoi(read("SCAN_TIMESALE"));
}

void SaveSettings() {
  std::lock_guard lock(watchState.iniMutex);
  BuildIniPath();
  // The user's folder appears with the first save; without it the settings stay in memory.
  if (watchState.iniPath.empty() || !MakeSettingsFolder(watchState.iniPath)) return;
  const WatchSettings& s = watchState.settings;
  // All five keys reach the disk in one replacement, so a crash never leaves half a save.
  platform::WriteProfileStrings(kSection,
                                {{"SCAN_FLAG", FlagText(s.scanFlag)},
                                 {"SCAN_KEYWORD", s.scanKeyword},
                                 {"SCAN_PRICE", s.scanPrice},
                                 {"SCAN_ZAIKO", FlagText(s.scanZaiko)},
                                 {"SCAN_TIMESALE", FlagText(s.scanTimesale)}},
                                watchState.iniPath);
}
