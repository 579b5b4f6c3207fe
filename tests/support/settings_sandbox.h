#pragma once

#include <cstddef>
#include <string>

#include "support/temp_dir.h"

namespace testing_support {

// Puts the executable, as the settings file sees it, into a fresh directory, and resets the
// shared settings to their initial values; undone when it ends (the executable back where it
// was).
class SettingsSandbox {
 public:
  SettingsSandbox();
  ~SettingsSandbox();
  SettingsSandbox(const SettingsSandbox&) = delete;
  SettingsSandbox& operator=(const SettingsSandbox&) = delete;

  const TempDir& dir() const { return dir_; }
  std::string IniPath() const { return dir_.File("setting.ini"); }
  // How many files the folder holds besides the writers' lock, which any save may leave.
  std::ptrdiff_t FileCount() const;

 private:
  TempDir dir_;
  std::string previousExecutable_;
};

// The settings as they are after start-up, before any load.
void ResetSettings();

// Sets an environment variable of this process; the empty value removes it.
void SetEnvironment(const char* name, const std::string& value);

}  // namespace testing_support
