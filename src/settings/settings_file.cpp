#include "settings/settings_file.h"

#include "platform/profile/profile_functions.h"
#include "platform/runtime/module_path.h"
#include "platform/runtime/numbers.h"
#include "settings/first_line.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"

namespace {

constexpr const char* kSection = "PARAM";
constexpr const char* kServiceSection = "SERVICE";

// Rebuilds iniPath from the path decided at start-up, as every load and save does, so that both
// always agree on the file. False, with iniPath empty, when no place is known or the path is too
// long for the file functions: no file is then read or written, rather than one in the current
// or the system's folder. The caller holds iniMutex.
bool BuildIniPath() {
  watchState.iniPath = SettingsPath();
  const platform::PathParts parts = platform::SplitPath(watchState.iniPath);
  watchState.iniDrive = parts.drive;
  watchState.iniDir = parts.dir;
  watchState.iniName = parts.name + parts.ext;
  if (watchState.iniDir.empty() || watchState.iniPath.size() >= platform::kMaxPathLength) {
    watchState.iniPath.clear();
  }
  return !watchState.iniPath.empty();
}

const char* FlagText(int32_t flag) { return flag != 0 ? "1" : "0"; }

}  // namespace

void LoadSettings() {
  std::lock_guard lock(watchState.iniMutex);
  // A missing key gives the default " ", which the profile reader trims to the empty text. No
  // file reads as a missing one. [SERVICE] is written by the user only; the saver leaves it as
  // it stands. One read of the file for both sections.
  const std::vector<platform::ProfileKey> keys = {
      {kSection, "SCAN_FLAG"},         {kSection, "SCAN_KEYWORD"},
      {kSection, "SCAN_PRICE"},        {kSection, "SCAN_ZAIKO"},
      {kSection, "SCAN_TIMESALE"},     {kServiceSection, "APPLICATION_ID"},
      {kServiceSection, "ACCESS_KEY"}, {kServiceSection, "AFFILIATE_ID"},
      {kServiceSection, "ENDPOINT"},   {kServiceSection, "REFERER"},
      {kServiceSection, "LOG"}};
  const std::vector<std::string> values =
      BuildIniPath() ? platform::ReadProfileStrings(keys, " ", watchState.iniPath)
                     : std::vector<std::string>(keys.size());
  size_t next = 0;
  auto read = [&]() -> const std::string& {
    watchState.iniValue = values[next++];
    return watchState.iniValue;
  };
  WatchSettings& s = watchState.settings;
  s.scanFlag = platform::Atoi(read());
  s.scanKeyword = read();
  s.scanPrice = read();
  s.scanZaiko = platform::Atoi(read());
  s.scanTimesale = platform::Atoi(read());

  std::lock_guard serviceLock(watchState.serviceMutex);
  watchState.service = {.applicationId = values[5],
                        .accessKey = values[6],
                        .affiliateId = values[7],
                        .endpoint = values[8],
                        .referer = values[9],
                        .log = platform::Atoi(values[10]) != 0};
}

void SaveSettings() {
  std::lock_guard lock(watchState.iniMutex);
  // The user's folder appears with the first save; without it the settings stay in memory.
  if (!BuildIniPath() || !MakeSettingsFolder(watchState.iniPath)) return;
  const WatchSettings& s = watchState.settings;
  auto firstLine = [](const std::string& text) { return std::string(FirstLine(text)); };
  // All five keys reach the disk in one replacement, so a crash never leaves half a save.
  platform::WriteProfileStrings(kSection,
                                {{"SCAN_FLAG", FlagText(s.scanFlag)},
                                 {"SCAN_KEYWORD", firstLine(s.scanKeyword)},
                                 {"SCAN_PRICE", firstLine(s.scanPrice)},
                                 {"SCAN_ZAIKO", FlagText(s.scanZaiko)},
                                 {"SCAN_TIMESALE", FlagText(s.scanTimesale)}},
                                watchState.iniPath);
}
