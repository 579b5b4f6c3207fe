#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>
#include <cstdio>
#include <cstdlib>

// A StatusNotifierWatcher on the session bus as waybar's is (its src/modules/sni/watcher.cpp,
// read December 2026): it owns org.kde.StatusNotifierWatcher, says IsStatusNotifierHostRegistered
// false until a host registers and then sends StatusNotifierHostRegistered, and lists each item as
// "bus name/object path" until its bus name goes. With --host-after-ms N a host registers N ms
// after the watcher has its name, as a panel's does when it starts after its watcher; without it
// none ever does. With --click-notices it is the desktop's notification service too, as one that
// reads markup and offers actions: it numbers each notice and, a moment later, invokes the default
// action of another program's notice and then of this one, as a person clicking it would. It
// prints nothing: the tests read it over the bus.
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");

class Watcher : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.kde.StatusNotifierWatcher")
  Q_PROPERTY(QStringList RegisteredStatusNotifierItems READ RegisteredStatusNotifierItems)
  Q_PROPERTY(bool IsStatusNotifierHostRegistered READ IsStatusNotifierHostRegistered)
  Q_PROPERTY(int ProtocolVersion READ ProtocolVersion)

 public:
  explicit Watcher(QDBusConnection bus)
      : bus_(bus), vanished_(QString(), bus, QDBusServiceWatcher::WatchForUnregistration, this) {
    connect(&vanished_, &QDBusServiceWatcher::serviceUnregistered, this, &Watcher::Vanished);
  }

  QStringList RegisteredStatusNotifierItems() const { return items_; }
  bool IsStatusNotifierHostRegistered() const { return hostRegistered_; }
  int ProtocolVersion() const { return 0; }

  void RegisterHost() {
    if (hostRegistered_) return;
    hostRegistered_ = true;
    emit StatusNotifierHostRegistered();
  }

 public slots:
  // A bus name (the item at /StatusNotifierItem) or an object path of the caller's.
  void RegisterStatusNotifierItem(const QString& service, const QDBusMessage& message) {
    const bool isPath = service.startsWith('/');
    const QString busName = isPath ? message.service() : service;
    const QString item = busName + (isPath ? service : QStringLiteral("/StatusNotifierItem"));
    if (items_.contains(item)) return;
    items_ << item;
    vanished_.addWatchedService(busName);
    emit StatusNotifierItemRegistered(item);
  }
  void RegisterStatusNotifierHost(const QString&) { RegisterHost(); }

 signals:
  void StatusNotifierItemRegistered(const QString& item);
  void StatusNotifierItemUnregistered(const QString& item);
  void StatusNotifierHostRegistered();

 private:
  void Vanished(const QString& busName) {
    for (const QString& item : QStringList(items_)) {
      if (item.section('/', 0, 0) != busName) continue;
      items_.removeAll(item);
      emit StatusNotifierItemUnregistered(item);
    }
  }

  QDBusConnection bus_;
  QDBusServiceWatcher vanished_;
  QStringList items_;
  bool hostRegistered_ = false;
};

class Notifications : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.Notifications")

 public slots:
  QStringList GetCapabilities() { return {"actions", "body", "body-markup"}; }
  uint Notify(const QString&, uint replacesId, const QString&, const QString&, const QString&,
              const QStringList& actions, const QVariantMap&, int) {
    const uint id = replacesId != 0 ? replacesId : ++lastId_;
    if (actions.contains("default")) {
      QTimer::singleShot(300, this, [this, id] {
        emit ActionInvoked(id + 1000, "default");
        emit ActionInvoked(id, "default");
      });
    }
    return id;
  }

 signals:
  void ActionInvoked(uint id, const QString& action);

 private:
  uint lastId_ = 0;
};

}  // namespace

int main(int argc, char** argv) {
  QCoreApplication application(argc, argv);
  int hostAfterMs = -1;
  const QStringList arguments = QCoreApplication::arguments();
  if (const qsizetype at = arguments.indexOf("--host-after-ms");
      at >= 0 && at + 1 < arguments.size())
    hostAfterMs = arguments[at + 1].toInt();
  QDBusConnection bus = QDBusConnection::sessionBus();
  Watcher watcher(bus);
  if (!bus.registerObject("/StatusNotifierWatcher", &watcher, QDBusConnection::ExportAllContents) ||
      !bus.registerService(kWatcher)) {
    std::fputs("kobanu_sni_watcher: cannot take the watcher's name\n", stderr);
    return 1;
  }
  if (hostAfterMs >= 0) QTimer::singleShot(hostAfterMs, &watcher, &Watcher::RegisterHost);
  Notifications notifications;
  if (arguments.contains("--click-notices") &&
      (!bus.registerObject("/org/freedesktop/Notifications", &notifications,
                           QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
       !bus.registerService("org.freedesktop.Notifications"))) {
    std::fputs("kobanu_sni_watcher: cannot take the notification service's name\n", stderr);
    return 1;
  }
  return QCoreApplication::exec();
}

#include "sni_watcher_standin.moc"
