#pragma once

#include <QString>

// The tray hosts of a Linux desktop: the XEmbed tray (the _NET_SYSTEM_TRAY_S0 selection on X11)
// and the StatusNotifier host, which a StatusNotifierWatcher on the session bus reports.
namespace ui::qt {

// Tells the framework when the icon's place may have changed (the taskbar-created message): when
// a tray takes the XEmbed selection (XFixes events on Qt's own connection), when a host registers
// with the StatusNotifierWatcher, when a watcher appears with a host, and when the watcher or
// the host that the icon is registered with goes.
void WatchTrayHost();

bool XEmbedTrayHostPresent();
bool StatusNotifierHostRegistered();

// Registers the StatusNotifierItem that service offers with the watcher there now; false when
// there is none or it refuses. A watcher that has the item already is not asked again.
bool RegisterStatusNotifierItem(const QString& service);
// The item has left the watcher.
void NoteStatusNotifierItemGone();

}  // namespace ui::qt
