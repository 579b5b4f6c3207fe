#include "settings/settings_file.h"

#include <algorithm>
#include <cassert>
#include <string_view>
#include <vector>

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
  watchState.iniPath = settings::SettingsPath();
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

const std::vector<platform::ProfileKey> kServiceKeys = {
    {kServiceSection, "APPLICATION_ID"},   {kServiceSection, "ACCESS_KEY"},
    {kServiceSection, "AFFILIATE_ID"},     {kServiceSection, "ENDPOINT"},
    {kServiceSection, "REFERER"},          {kServiceSection, "LOG"},
    {kServiceSection, "MIN_PRICE"},        {kServiceSection, "NG_KEYWORD"},
    {kServiceSection, "POSTAGE_INCLUDED"}, {kServiceSection, "PRICE_HISTORY"}};

// The [SERVICE] section from the values read for kServiceKeys, which start at `values`.
ServiceSettings ServiceOf(const std::string* values) {
  const auto value = [&](std::string_view name) -> const std::string& {
    const auto key = std::find_if(kServiceKeys.begin(), kServiceKeys.end(),
                                  [&](const platform::ProfileKey& k) { return k.key == name; });
    assert(key != kServiceKeys.end() && "a key of the section");
    return values[key - kServiceKeys.begin()];
  };
  return {.applicationId = value("APPLICATION_ID"),
          .accessKey = value("ACCESS_KEY"),
          .affiliateId = value("AFFILIATE_ID"),
          .endpoint = value("ENDPOINT"),
          .referer = value("REFERER"),
          .log = platform::Atoi(value("LOG")) != 0,
          .priceHistory = platform::Atoi(value("PRICE_HISTORY")) != 0,
          .minPrice = value("MIN_PRICE"),
          .ngKeyword = value("NG_KEYWORD"),
          .postageIncluded = platform::Atoi(value("POSTAGE_INCLUDED")) != 0};
}

// Reads keys from the file, or gives empty values where there is no file to read. The caller
// holds iniMutex.
std::vector<std::string> ReadKeys(const std::vector<platform::ProfileKey>& keys) {
  return BuildIniPath() ? platform::ReadProfileStrings(keys, " ", watchState.iniPath)
                        : std::vector<std::string>(keys.size());
}

// A value as the file keeps it: its first line.
std::string Line(const std::string& text) { return std::string(settings::FirstLine(text)); }

}  // namespace

void LoadSettings() {
  std::lock_guard lock(watchState.iniMutex);
  // A missing key gives the default " ", which the profile reader trims to the empty text. No
  // file reads as a missing one. [SERVICE] is written by the user or the service window only;
  // the saver leaves it as it stands. One read of the file for both sections.
  std::vector<platform::ProfileKey> keys = {{kSection, "SCAN_FLAG"},
                                            {kSection, "SCAN_KEYWORD"},
                                            {kSection, "SCAN_PRICE"},
                                            {kSection, "SCAN_ZAIKO"},
                                            {kSection, "SCAN_TIMESALE"}};
  keys.insert(keys.end(), kServiceKeys.begin(), kServiceKeys.end());
  const std::vector<std::string> values = ReadKeys(keys);
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
  watchState.service = ServiceOf(&values[next]);
}

void settings::LoadServiceSettings() {
  std::lock_guard lock(watchState.iniMutex);
  watchState.service = ServiceOf(ReadKeys(kServiceKeys).data());
}

bool settings::SaveServiceSettings(const ServiceSettings& service) {
  std::lock_guard lock(watchState.iniMutex);
  if (!BuildIniPath() || !settings::MakeSettingsFolder(watchState.iniPath)) return false;
  // It holds the access key: readable by its owner alone before the key is written.
  const bool saved =
      platform::WriteProfileStrings(kServiceSection,
                                    {{"APPLICATION_ID", Line(service.applicationId)},
                                     {"ACCESS_KEY", Line(service.accessKey)},
                                     {"AFFILIATE_ID", Line(service.affiliateId)},
                                     {"ENDPOINT", Line(service.endpoint)},
                                     {"REFERER", Line(service.referer)},
                                     {"MIN_PRICE", Line(service.minPrice)},
                                     {"NG_KEYWORD", Line(service.ngKeyword)},
                                     {"POSTAGE_INCLUDED", service.postageIncluded ? "1" : ""},
                                     {"PRICE_HISTORY", FlagText(service.priceHistory ? 1 : 0)}},
                                    watchState.iniPath, platform::FileReaders::OwnerOnly);
  if (!saved) return false;
  watchState.service = service;
  return true;
}

void SaveSettings() {
  std::lock_guard lock(watchState.iniMutex);
  // The user's folder appears with the first save; without it the settings stay in memory.
  if (!BuildIniPath() || !settings::MakeSettingsFolder(watchState.iniPath)) return;
  const WatchSettings& s = watchState.settings;
  // All five keys reach the disk in one replacement, so a crash never leaves half a save.
  platform::WriteProfileStrings(kSection,
                                {{"SCAN_FLAG", FlagText(s.scanFlag)},
                                 {"SCAN_KEYWORD", Line(s.scanKeyword)},
                                 {"SCAN_PRICE", Line(s.scanPrice)},
                                 {"SCAN_ZAIKO", FlagText(s.scanZaiko)},
                                 {"SCAN_TIMESALE", FlagText(s.scanTimesale)}},
                                watchState.iniPath);
}
