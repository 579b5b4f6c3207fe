#include "settings/settings_file.h"

#include "app/watch_state.h"
#include "platform/profile/profile_file.h"
#include "platform/runtime/module_path.h"
#include "platform/runtime/numbers.h"

namespace {

constexpr const char* kSection = "PARAM";

// Rebuilds iniPath from the executable's path, as every load and save does. The caller holds
// iniMutex.
void BuildIniPath() {
  const std::string exe = platform::ExecutablePath();
  const size_t slash = exe.rfind('/');
  const std::string name = slash == std::string::npos ? exe : exe.substr(slash + 1);
  watchState.iniDrive.clear();  // no drive letters here
  watchState.iniDir = slash == std::string::npos ? std::string() : exe.substr(0, slash + 1);
  // iniName receives the file name and then the extension; only the extension stays.
  const size_t dot = name.rfind('.');
  watchState.iniName = dot == std::string::npos ? std::string() : name.substr(dot);
  watchState.iniPath = watchState.iniDrive + watchState.iniDir + "setting.ini";
}

const char* FlagText(int32_t flag) { return flag != 0 ? "1" : "0"; }

}  // namespace

void LoadSettings() {
  std::lock_guard lock(watchState.iniMutex);
  BuildIniPath();
  const auto file = platform::ProfileFile::Load(watchState.iniPath);
  // A missing key gives the default " ", which the profile reader trims to the empty text.
  auto read = [&](const char* key) -> const std::string& {
    watchState.iniValue = file.GetString(kSection, key, " ");
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
  auto file = platform::ProfileFile::Load(watchState.iniPath);
  const WatchSettings& s = watchState.settings;
  file.SetString(kSection, "SCAN_FLAG", FlagText(s.scanFlag));
  file.SetString(kSection, "SCAN_KEYWORD", std::string(s.scanKeyword));
  file.SetString(kSection, "SCAN_PRICE", std::string(s.scanPrice));
  file.SetString(kSection, "SCAN_ZAIKO", FlagText(s.scanZaiko));
  file.SetString(kSection, "SCAN_TIMESALE", FlagText(s.scanTimesale));
  // All five keys reach the disk in one replacement, so a crash never leaves half a save.
  file.Save(watchState.iniPath);
}
