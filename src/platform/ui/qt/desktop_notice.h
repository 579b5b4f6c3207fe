#pragma once

#include <QString>

namespace ui::qt {

// A notification from the desktop's notification service (org.freedesktop.Notifications), which
// needs no tray. Nothing when there is none: it is sent and not waited for.
void ShowDesktopNotice(const QString& title, const QString& text);

}  // namespace ui::qt
