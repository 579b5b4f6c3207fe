#pragma once

#include <string>

// Starting Kobanu at login, for the user who runs this: the XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/kobanu.desktop) or the value "Kobanu" under HKCU's Run key. The
// entry names the running executable.
struct AutostartChange {
  bool done;
  std::string where;  // the entry; on failure the reason
};
AutostartChange EnableAutostart(const std::string& executable);
AutostartChange DisableAutostart();
