#include "platform/ui/qt/status_notifier_item.h"

#include <unistd.h>

#include <QDBusConnection>
#include <QDBusMetaType>
#include <QImage>
#include <QtEndian>

#include "platform/ui/qt/dbus_menu.h"
#include "platform/ui/qt/dbus_structure.h"
#include "platform/ui/qt/program_icon.h"
#include "platform/ui/qt/tray_host_watch.h"
#include "platform/ui/win_app.h"

namespace ui::qt {

QDBusArgument& operator<<(QDBusArgument& out, const SniImage& image) {
  return WriteStructure(out, image.width, image.height, image.argb);
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniImage& image) {
  return ReadStructure(in, image.width, image.height, image.argb);
}

QDBusArgument& operator<<(QDBusArgument& out, const SniToolTip& tip) {
  return WriteStructure(out, tip.iconName, tip.images, tip.title, tip.description);
}

const QDBusArgument& operator>>(const QDBusArgument& in, SniToolTip& tip) {
  return ReadStructure(in, tip.iconName, tip.images, tip.title, tip.description);
}

namespace {

const QString kItemPath = QStringLiteral("/StatusNotifierItem");
const QString kMenuPath = QStringLiteral("/MenuBar");

QList<SniImage> ImagesOf(const QIcon& icon) {
  QList<SniImage> images;
  for (const QSize size : icon.availableSizes()) {
    const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
    SniImage sni{image.width(), image.height(), {}};
    for (int y = 0; y < image.height(); ++y) {
      const auto* line = reinterpret_cast<const quint32*>(image.constScanLine(y));
      for (int x = 0; x < image.width(); ++x) {
        const quint32 pixel = qToBigEndian(line[x]);
        sni.argb.append(reinterpret_cast<const char*>(&pixel), sizeof pixel);
      }
    }
    images << sni;
  }
  return images;
}

}  // namespace

StatusNotifierItem::StatusNotifierItem(QObject* parent)
    : QObject(parent),
      serviceName_(QString("org.kde.StatusNotifierItem-%1-1").arg(getpid())),
      id_(QString::fromStdString(AfxGetAppName())),
      title_(id_),
      menuPath_("/") {
  qDBusRegisterMetaType<SniImage>();
  qDBusRegisterMetaType<QList<SniImage>>();
  qDBusRegisterMetaType<SniToolTip>();
}

bool StatusNotifierItem::Register(const TrayIcon& icon) {
  QDBusConnection bus = QDBusConnection::sessionBus();
  if (!exported_) {
    if (icon.menu != nullptr) {
      menuPath_ = QDBusObjectPath(kMenuPath);
      menu_ = new DBusMenu(*icon.menu, this);
      bus.registerObject(kMenuPath, menu_, QDBusConnection::ExportAllContents);
    }
    exported_ = bus.registerObject(kItemPath, this, QDBusConnection::ExportAllContents);
  }
  Update({.icon = icon.icon, .tip = icon.tip, .menu = icon.menu});
  if (!exported_ || !bus.registerService(serviceName_)) return false;
  if (RegisterStatusNotifierItem(serviceName_)) return true;
  Unregister();
  return false;
}

void StatusNotifierItem::Unregister() {
  QDBusConnection::sessionBus().unregisterService(serviceName_);
  NoteStatusNotifierItemGone();
}

void StatusNotifierItem::Update(const TrayIcon& icon) {
  if (icon.icon != icon_) {
    icon_ = icon.icon;
    images_ = ImagesOf(IconOf(icon.icon));
    emit NewIcon();
  }
  // The tip's first line is its title; a line below it is for the description.
  const QString tip = QString::fromUtf8(icon.tip);
  const QString title = tip.section('\n', 0, 0);
  const QString description = tip.section('\n', 1);
  if (title != toolTip_.title || description != toolTip_.description) {
    toolTip_.title = title;
    toolTip_.description = description;
    emit NewToolTip();
  }
  if (menu_ != nullptr && icon.menu != nullptr) menu_->Offer(*icon.menu);
}

// A left click, which does nothing on the program's tray icon; the panel shows the menu itself.
void StatusNotifierItem::Activate(int, int) { DeliverTrayMouseEvent(WM_LBUTTONDOWN); }

void StatusNotifierItem::SecondaryActivate(int, int) { DeliverTrayMouseEvent(WM_MBUTTONDOWN); }

// A panel that draws no menu of its own asks for the program's.
void StatusNotifierItem::ContextMenu(int, int) { DeliverTrayMouseEvent(WM_RBUTTONDOWN); }

void StatusNotifierItem::Scroll(int, const QString&) {}

}  // namespace ui::qt
