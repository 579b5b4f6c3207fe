#pragma once

#include <QByteArray>
#include <QDBusArgument>
#include <QDBusObjectPath>
#include <QList>
#include <QObject>
#include <QString>

#include "platform/ui/backend.h"

namespace ui::qt {

class DBusMenu;

// One size of the icon as the item carries it, (iiay): ARGB32 in network byte order.
struct SniImage {
  int width = 0;
  int height = 0;
  QByteArray argb;
};

// The item's tooltip, (sa(iiay)ss): an icon's name and images, a title and a description.
struct SniToolTip {
  QString iconName;
  QList<SniImage> images;
  QString title;
  QString description;
};

// The icon as a StatusNotifierItem on the session bus (org.kde.StatusNotifierItem, the name the
// panels use), with its menu exported over dbusmenu: the panel draws the icon, its tooltip and its
// menu itself.
class StatusNotifierItem : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierItem")
  Q_PROPERTY(QString Category MEMBER category_ CONSTANT)
  Q_PROPERTY(QString Id MEMBER id_ CONSTANT)
  Q_PROPERTY(QString Title MEMBER title_ CONSTANT)
  Q_PROPERTY(QString Status MEMBER status_ CONSTANT)
  Q_PROPERTY(int WindowId MEMBER windowId_ CONSTANT)
  Q_PROPERTY(QString IconName MEMBER noName_ CONSTANT)
  Q_PROPERTY(QList<ui::qt::SniImage> IconPixmap READ Images NOTIFY NewIcon)
  Q_PROPERTY(QString OverlayIconName MEMBER noName_ CONSTANT)
  Q_PROPERTY(QList<ui::qt::SniImage> OverlayIconPixmap MEMBER noImages_ CONSTANT)
  Q_PROPERTY(QString AttentionIconName MEMBER noName_ CONSTANT)
  Q_PROPERTY(QList<ui::qt::SniImage> AttentionIconPixmap MEMBER noImages_ CONSTANT)
  Q_PROPERTY(QString AttentionMovieName MEMBER noName_ CONSTANT)
  Q_PROPERTY(ui::qt::SniToolTip ToolTip READ Tip NOTIFY NewToolTip)
  Q_PROPERTY(bool ItemIsMenu MEMBER itemIsMenu_ CONSTANT)
  Q_PROPERTY(QDBusObjectPath Menu MEMBER menuPath_ CONSTANT)

 public:
  explicit StatusNotifierItem(QObject* parent);

  // Registers with the StatusNotifierWatcher there now, unless it is registered there already;
  // false when the watcher does not take it.
  bool Register(const TrayIcon& icon);
  // The icon, the tooltip and the menu as they stand.
  void Update(const TrayIcon& icon);
  // Leaves the watcher: the panel removes the item.
  void Unregister();

  QList<SniImage> Images() const { return images_; }
  SniToolTip Tip() const { return toolTip_; }

 public slots:
  void Activate(int x, int y);
  void SecondaryActivate(int x, int y);
  void ContextMenu(int x, int y);
  void Scroll(int delta, const QString& orientation);

 signals:
  void NewIcon();
  void NewToolTip();

 private:
  QString serviceName_;
  bool exported_ = false;
  QString category_ = "ApplicationStatus";
  QString id_;
  QString title_;
  QString status_ = "Active";
  int windowId_ = 0;
  QString noName_;
  QList<SniImage> images_;
  QList<SniImage> noImages_;
  SniToolTip toolTip_;
  bool itemIsMenu_ = false;  // a left click is Activate; the menu is the panel's own
  QDBusObjectPath menuPath_;
  DBusMenu* menu_ = nullptr;  // exported with the item's first registration, if it has a menu
  HICON icon_ = 0;
};

}  // namespace ui::qt

Q_DECLARE_METATYPE(ui::qt::SniImage)
Q_DECLARE_METATYPE(ui::qt::SniToolTip)
