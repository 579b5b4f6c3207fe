#include "platform/ui/qt/tray_host_watch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QAbstractNativeEventFilter>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusServiceWatcher>
#include <QDBusVariant>
#include <QGuiApplication>
#include <QTimer>
#include <cstdlib>
#include <optional>

#include "platform/ui/backend.h"
#include "platform/ui/qt/x_connection.h"

namespace ui::qt {

namespace {

const QString kWatcher = QStringLiteral("org.kde.StatusNotifierWatcher");
const QString kWatcherPath = QStringLiteral("/StatusNotifierWatcher");
// A watcher that does not answer within this is busy, and asked again later.
constexpr int kWatcherAnswerMs = 500;
// How often a watcher that does not answer is asked, a second apart.
constexpr int kWatcherAsks = 60;

// The unique bus name of the watcher the icon is registered with; empty for none. UI thread only.
QString registeredWith;

QString WatcherOwner() {
  const QDBusConnectionInterface* bus = QDBusConnection::sessionBus().interface();
  return bus != nullptr ? bus->serviceOwner(kWatcher).value() : QString();
}

// The watcher's IsStatusNotifierHostRegistered; none when it did not answer in time.
std::optional<bool> AskWhetherHostRegistered() {
  QDBusMessage get = QDBusMessage::createMethodCall(
      kWatcher, kWatcherPath, QStringLiteral("org.freedesktop.DBus.Properties"),
      QStringLiteral("Get"));
  get << kWatcher << QStringLiteral("IsStatusNotifierHostRegistered");
  // A watcher that only D-Bus activation would start has no panel behind it.
  get.setAutoStartService(false);
  const QDBusMessage reply =
      QDBusConnection::sessionBus().call(get, QDBus::Block, kWatcherAnswerMs);
  if (reply.type() == QDBusMessage::ErrorMessage &&
      reply.errorName() == QStringLiteral("org.freedesktop.DBus.Error.NoReply")) {
    return std::nullopt;
  }
  return reply.type() == QDBusMessage::ReplyMessage && !reply.arguments().isEmpty() &&
         qvariant_cast<QDBusVariant>(reply.arguments().constFirst()).variant().toBool();
}

class TrayHostFilter : public QAbstractNativeEventFilter {
 public:
  TrayHostFilter(uint8_t firstEvent, xcb_atom_t selection)
      : firstEvent_(firstEvent), selection_(selection) {}

  bool nativeEventFilter(const QByteArray& type, void* message, qintptr*) override {
    if (type != "xcb_generic_event_t") return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7F) != firstEvent_ + XCB_XFIXES_SELECTION_NOTIFY) return false;
    const auto* notify = reinterpret_cast<const xcb_xfixes_selection_notify_event_t*>(event);
    if (notify->selection == selection_ && notify->owner != XCB_NONE) DeliverTaskbarCreated();
    return false;
  }

 private:
  uint8_t firstEvent_;
  xcb_atom_t selection_;
};

xcb_atom_t TraySelection(xcb_connection_t* connection) {
  const char name[] = "_NET_SYSTEM_TRAY_S0";
  xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
      connection, xcb_intern_atom(connection, 0, sizeof name - 1, name), nullptr);
  const xcb_atom_t result = atom != nullptr ? atom->atom : XCB_NONE;
  free(atom);
  return result;
}

void WatchXEmbedTrayHost() {
  xcb_connection_t* connection = QtXConnection();
  if (connection == nullptr) return;
  const xcb_query_extension_reply_t* extension = xcb_get_extension_data(connection, &xcb_xfixes_id);
  if (extension == nullptr || !extension->present) return;
  free(xcb_xfixes_query_version_reply(
      connection,
      xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
      nullptr));
  const xcb_atom_t selection = TraySelection(connection);
  if (selection == XCB_NONE) return;
  const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
  xcb_xfixes_select_selection_input(connection, root, selection,
                                    XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER);
  xcb_flush(connection);
  // Lives as long as the application's event dispatching.
  qGuiApp->installNativeEventFilter(new TrayHostFilter(extension->first_event, selection));
}

// A panel such as waybar starts its watcher and registers its host a moment later; xfce4-panel's
// watcher has its host from the start. Either way the host is looked for a moment after the
// watcher's arrival or the host's registration, and so is its going. A D-Bus signal reaches only
// a slot: the timer's start() takes it.
void WatchStatusNotifierHost() {
  QDBusConnection bus = QDBusConnection::sessionBus();
  auto* settle = new QTimer(qGuiApp);
  settle->setSingleShot(true);
  settle->setInterval(200);
  QObject::connect(settle, &QTimer::timeout, [settle] {
    static int unanswered = 0;
    const std::optional<bool> hosted = AskWhetherHostRegistered();
    // A watcher busy starting (GNOME's extension as it is enabled) is asked again a second
    // later, for a minute and a half at most.
    if (!hosted) {
      if (++unanswered < kWatcherAsks)
        QTimer::singleShot(1000, settle, qOverload<>(&QTimer::start));
      return;
    }
    unanswered = 0;
    // A host to move to or to register with again, or the one the icon was with gone.
    if (*hosted ? WatcherOwner() != registeredWith : !registeredWith.isEmpty()) {
      DeliverTaskbarCreated();
    }
  });
  auto* watcher =
      new QDBusServiceWatcher(kWatcher, bus, QDBusServiceWatcher::WatchForOwnerChange, qGuiApp);
  QObject::connect(watcher, &QDBusServiceWatcher::serviceOwnerChanged, settle,
                   qOverload<>(&QTimer::start));
  for (const char* signal : {"StatusNotifierHostRegistered", "StatusNotifierHostUnregistered"}) {
    bus.connect(kWatcher, kWatcherPath, kWatcher, signal, settle, SLOT(start()));
  }
}

}  // namespace

bool XEmbedTrayHostPresent() {
  xcb_connection_t* connection = QtXConnection();
  if (connection == nullptr) return false;
  const xcb_atom_t selection = TraySelection(connection);
  if (selection == XCB_NONE) return false;
  xcb_get_selection_owner_reply_t* owner = xcb_get_selection_owner_reply(
      connection, xcb_get_selection_owner(connection, selection), nullptr);
  const bool present = owner != nullptr && owner->owner != XCB_NONE;
  free(owner);
  return present;
}

bool StatusNotifierHostRegistered() {
  // A panel busy starting (LXQt's takes the XEmbed selection while its watcher still loads its
  // plugins) answers late: the watcher the icon is registered with is taken at its word until it
  // says otherwise or goes, so the icon does not leave it for the XEmbed tray.
  return AskWhetherHostRegistered().value_or(!registeredWith.isEmpty() &&
                                             registeredWith == WatcherOwner());
}

bool RegisterStatusNotifierItem(const QString& service) {
  const QString watcher = WatcherOwner();
  if (watcher.isEmpty()) return false;
  if (watcher == registeredWith) return true;
  QDBusMessage add = QDBusMessage::createMethodCall(kWatcher, kWatcherPath, kWatcher,
                                                    QStringLiteral("RegisterStatusNotifierItem"));
  add << service;
  const QDBusMessage reply =
      QDBusConnection::sessionBus().call(add, QDBus::Block, kWatcherAnswerMs);
  if (reply.type() != QDBusMessage::ReplyMessage) return false;
  registeredWith = watcher;
  return true;
}

void NoteStatusNotifierItemGone() { registeredWith.clear(); }

void WatchTrayHost() {
  WatchXEmbedTrayHost();
  WatchStatusNotifierHost();
}

}  // namespace ui::qt
