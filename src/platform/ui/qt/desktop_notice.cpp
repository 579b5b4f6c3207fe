#include "platform/ui/qt/desktop_notice.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QStringList>
#include <QVariantMap>

#include "platform/ui/templates.h"
#include "platform/ui/win_app.h"

namespace ui::qt {

void ShowDesktopNotice(const QString& title, const QString& text) {
  QDBusMessage notify = QDBusMessage::createMethodCall("org.freedesktop.Notifications",
                                                       "/org/freedesktop/Notifications",
                                                       "org.freedesktop.Notifications", "Notify");
  // The desktop entry gives the desktop the program's icon and groups its notices.
  QVariantMap hints;
  if (Resources().desktopEntry != nullptr) hints["desktop-entry"] = Resources().desktopEntry;
  notify << QString::fromStdString(AfxGetAppName()) << 0u << QString() << title << text
         << QStringList() << hints << -1;
  QDBusConnection::sessionBus().send(notify);
}

}  // namespace ui::qt
