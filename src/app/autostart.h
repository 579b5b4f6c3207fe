#pragma once

#include <string>

// Starting Kobanu at login, for the user who runs this: the XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/kobanu.desktop) or the value "Kobanu" under HKCU's Run key. The
// entry names the running executable. On success `where` names the entry; on failure it holds
// the reason.
bool EnableAutostart(const std::string& executable, std::string& where);
bool DisableAutostart(std::string& where);
