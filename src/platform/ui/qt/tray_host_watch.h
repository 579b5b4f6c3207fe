#pragma once

// The tray hosts of a Linux desktop: the XEmbed tray (the _NET_SYSTEM_TRAY_S0 selection on X11)
// and the StatusNotifier host, which a StatusNotifierWatcher on the session bus reports.
namespace ui::qt {

// Tells the framework when a tray host comes (the taskbar-created message): when one takes the
// XEmbed selection (XFixes events on Qt's own connection), when a host registers with the
// watcher, or when a watcher appears with a host.
void WatchTrayHost();

bool XEmbedTrayHostPresent();
bool StatusNotifierHostRegistered();

// The icon has just registered with the StatusNotifierWatcher there now: that watcher's arrival
// or its host's calls for no registration again.
void NoteStatusNotifierRegistration();

}  // namespace ui::qt
