#include <fcntl.h>
#include <spawn.h>
#include <unistd.h>

#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <thread>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QSocketNotifier>
#include <QStringList>
#include <QTimer>
#include <QVariantMap>

extern char** environ;

// A StatusNotifierWatcher on the session bus as waybar's is (its src/modules/sni/watcher.cpp,
// read December 2026): it owns org.kde.StatusNotifierWatcher, says IsStatusNotifierHostRegistered
// false until a host registers and then sends StatusNotifierHostRegistered, and lists each item as
// "bus name/object path" until its bus name goes. With --host-after-ms N a host registers N ms
// after the watcher has its name, as a panel's does when it starts after its watcher; without it
// none ever does. With --click-notices it is the desktop's notification service too, as one that
// reads markup and offers actions: it numbers each notice and, a moment later, invokes the default
// action of another program's notice and then of this one, as a person clicking it would. It
// prints nothing: the tests read it over the bus. With --busy-ms N it answers nothing for N ms
// from a moment after its start, and again at each SIGUSR1, as a panel busy starting its plugins.
// With --start-programs it also
// starts programs for bench/: it reads a program's path a line from its standard input, starts it
// (its output discarded) and, when that process registers an item, prints "PID MILLISECONDS", the
// time from just before its start to the call's arrival here; it ends when its input does.
namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
using Clock = std::chrono::steady_clock;

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
    const Clock::time_point arrived = Clock::now();
    if (onRegistration) onRegistration(message.service(), arrived);
    const bool isPath = service.startsWith('/');
    const QString busName = isPath ? message.service() : service;
    const QString item = busName + (isPath ? service : QStringLiteral("/StatusNotifierItem"));
    if (items_.contains(item)) return;
    items_ << item;
    vanished_.addWatchedService(busName);
    emit StatusNotifierItemRegistered(item);
  }
  void RegisterStatusNotifierHost(const QString&) { RegisterHost(); }

 public:
  // Told of every registration: the caller's unique bus name and the moment the call arrived.
  std::function<void(const QString& caller, Clock::time_point arrived)> onRegistration;

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

// Starts the programs named on standard input and prints when each registered its item.
class Starter : public QObject {
 public:
  Starter(QDBusConnection bus, Watcher& watcher)
      : bus_(bus), input_(STDIN_FILENO, QSocketNotifier::Read) {
    // The programs end when bench/ stops them; none is left behind unreaped.
    std::signal(SIGCHLD, SIG_IGN);
    connect(&input_, &QSocketNotifier::activated, this, &Starter::ReadInput);
    watcher.onRegistration = [this](const QString& caller, Clock::time_point arrived) {
      const auto found = started_.find(bus_.interface()->servicePid(caller).value());
      if (found == started_.end()) return;
      const std::chrono::duration<double, std::milli> elapsed = arrived - found->second;
      std::printf("%u %.1f\n", found->first, elapsed.count());
      std::fflush(stdout);
      started_.erase(found);
    };
  }

 private:
  void ReadInput() {
    char buffer[4096];
    const ssize_t n = read(STDIN_FILENO, buffer, sizeof buffer);
    if (n <= 0) {
      QCoreApplication::quit();
      return;
    }
    pending_.append(buffer, static_cast<size_t>(n));
    for (size_t end = pending_.find('\n'); end != std::string::npos; end = pending_.find('\n')) {
      Start(pending_.substr(0, end));
      pending_.erase(0, end + 1);
    }
  }

  void Start(std::string program) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawnattr_t attributes;
    posix_spawnattr_init(&attributes);
    sigset_t defaults;
    sigemptyset(&defaults);
    sigaddset(&defaults, SIGCHLD);
    posix_spawnattr_setsigdefault(&attributes, &defaults);
    posix_spawnattr_setflags(&attributes, POSIX_SPAWN_SETSIGDEF);
    char* argv[] = {program.data(), nullptr};
    pid_t pid = 0;
    const Clock::time_point start = Clock::now();
    if (posix_spawn(&pid, argv[0], &actions, &attributes, argv, environ) == 0) {
      started_[static_cast<uint>(pid)] = start;
    } else {
      std::printf("0 cannot start %s\n", argv[0]);
      std::fflush(stdout);
    }
    posix_spawnattr_destroy(&attributes);
    posix_spawn_file_actions_destroy(&actions);
  }

  QDBusConnection bus_;
  QSocketNotifier input_;
  std::string pending_;
  std::map<uint, Clock::time_point> started_;  // by process id, until its item registers
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
  std::optional<Starter> starter;
  if (arguments.contains("--start-programs")) starter.emplace(bus, watcher);
  // The signal's handler writes to a pipe, whose reading here blocks the event loop.
  static int busyPipe[2];
  std::optional<QSocketNotifier> busy;
  if (const qsizetype at = arguments.indexOf("--busy-ms");
      at >= 0 && at + 1 < arguments.size() && pipe(busyPipe) == 0) {
    const auto busyFor = std::chrono::milliseconds(arguments[at + 1].toInt());
    std::signal(SIGUSR1, [](int) { (void)!write(busyPipe[1], "x", 1); });
    busy.emplace(busyPipe[0], QSocketNotifier::Read);
    QObject::connect(&*busy, &QSocketNotifier::activated, [busyFor] {
      char byte;
      (void)!read(busyPipe[0], &byte, 1);
      std::this_thread::sleep_for(busyFor);
    });
    QTimer::singleShot(50, [] { std::raise(SIGUSR1); });
  }
  return QCoreApplication::exec();
}

#include "sni_watcher_standin.moc"
