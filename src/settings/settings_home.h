#pragma once

#include <string>

namespace settings {

// Where setting.ini lives. Beside the executable when a file of that name is there (even a
// read-only one: the user's choice stands) or could be created there, unless the executable is
// installed with the system's software; otherwise in the user's own folder
// (platform::UserSettingsFolder), which the first save creates. Empty when neither
// place is known: the settings then live in memory only.
//
// Decided by DecideSettingsPath, once at start-up, so that every load and save uses one file
// even if the folders' permissions change while the program runs.
void DecideSettingsPath();

// The decided path; decides first when nothing has been decided yet.
std::string SettingsPath();

// Creates the folders above the settings file that are missing. False when they cannot be made.
bool MakeSettingsFolder(const std::string& settingsPath);

}  // namespace settings
