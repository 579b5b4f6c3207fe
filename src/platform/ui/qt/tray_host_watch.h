#pragma once

// On X11, tells the framework when a tray host takes the _NET_SYSTEM_TRAY_S0 selection (the
// taskbar-created message), from XFixes selection-owner events on Qt's own connection. Does
// nothing on other platforms.
namespace ui::qt {

void WatchTrayHost();

// Whether a tray host is there now: an owner of the _NET_SYSTEM_TRAY_S0 selection (X11), or a
// StatusNotifierWatcher on the session bus.
bool TrayHostPresent();

}  // namespace ui::qt
