#pragma once

#include <string>

namespace platform {

// The user's own folder for Kobanu's settings, ending with its separator:
// $XDG_CONFIG_HOME/kobanu/ (by default ~/.config/kobanu/) or %APPDATA%\Kobanu\. Empty when the
// system names no such place.
std::string UserSettingsFolder();

#ifndef _WIN32
// $XDG_CONFIG_HOME/ or ~/.config/, where the desktop's own settings live (autostart/). Empty when
// no home folder is known.
std::string XdgConfigHome();
#endif

// Whether a new file could be created in the folder now (permissions, a read-only mount).
bool CanCreateFilesIn(const std::string& folder);

// Whether the folder holds the system's installed software (/usr on Linux: a package, or an
// install to a system prefix), where a program keeps no files of its own even when it could
// write there, as root can.
bool IsSystemSoftwareFolder(const std::string& folder);

}  // namespace platform
