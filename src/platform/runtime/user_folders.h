#pragma once

#include <string>

namespace platform {

// The user's own folder for Kobanu's settings, ending with its separator:
// $XDG_CONFIG_HOME/kobanu/ (by default ~/.config/kobanu/) or %APPDATA%\Kobanu\. Empty when the
// system names no such place.
std::string UserSettingsFolder();

// Whether a new file could be created in the folder now (permissions, a read-only mount).
bool CanCreateFilesIn(const std::string& folder);

}  // namespace platform
