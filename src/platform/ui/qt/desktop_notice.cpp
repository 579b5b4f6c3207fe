#include "platform/ui/qt/desktop_notice.h"

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QStringList>
#include <QVariantMap>
#include <utility>

#include "platform/ui/templates.h"
#include "platform/ui/win_app.h"

namespace ui::qt {

namespace {

const QString kService = QStringLiteral("org.freedesktop.Notifications");
const QString kPath = QStringLiteral("/org/freedesktop/Notifications");
const QString kDefaultAction = QStringLiteral("default");
constexpr uchar kNormalUrgency = 1;
constexpr int kServersTimeout = -1;  // as long as the server shows its notices
// A server that D-Bus starts for the first notice answers within this, or the notice goes out
// unescaped rather than late.
constexpr int kCapabilitiesWaitMs = 2000;

QDBusMessage Call(const QString& method) {
  return QDBusMessage::createMethodCall(kService, kPath, kService, method);
}

// Runs done with the reply, or the failure, once it has come or waitMs have passed (-1: D-Bus's
// own limit), on the UI thread; the call never blocks.
template <typename Reply>
void WhenAnswered(const QDBusMessage& call, std::function<void(const Reply&)> done,
                  int waitMs = -1) {
  auto* watcher =
      new QDBusPendingCallWatcher(QDBusConnection::sessionBus().asyncCall(call, waitMs), qApp);
  QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                   [done = std::move(done)](QDBusPendingCallWatcher* answered) {
                     done(Reply(*answered));
                     answered->deleteLater();
                   });
}

}  // namespace

DesktopNotice::DesktopNotice(std::function<void()> activated) : activated_(std::move(activated)) {
  QDBusConnection::sessionBus().connect(kService, kPath, kService, QStringLiteral("ActionInvoked"),
                                        this, SLOT(OnActionInvoked(uint, QString)));
}

void DesktopNotice::ShowIconNotice(const QString& title, const QString& text, NoticeIcon icon) {
  WhenCapabilitiesKnown([=, this] { Notify(title, text, icon, true); });
}

void DesktopNotice::ShowPlainNotice(const QString& title, const QString& text) {
  WhenCapabilitiesKnown([=, this] { Notify(title, text, NoticeIcon::kInformation, false); });
}

void DesktopNotice::WhenCapabilitiesKnown(std::function<void()> then) {
  if (markup_) return then();
  WhenAnswered<QDBusPendingReply<QStringList>>(
      Call(QStringLiteral("GetCapabilities")),
      [this, then = std::move(then)](const QDBusPendingReply<QStringList>& capabilities) {
        if (capabilities.isValid()) {
          markup_ = capabilities.value().contains(QStringLiteral("body-markup"));
        }
        then();
      },
      kCapabilitiesWaitMs);
}

void DesktopNotice::Notify(const QString& title, const QString& text, NoticeIcon icon,
                           bool iconNotice) {
  QDBusMessage notify = Call(QStringLiteral("Notify"));
  QStringList actions;
  if (iconNotice) {
    actions = {kDefaultAction, QCoreApplication::translate("QPlatformTheme", "Open")};
  }
  QVariantMap hints = {{QStringLiteral("urgency"), QVariant::fromValue(kNormalUrgency)}};
  // The desktop entry gives the desktop the program's icon and groups its notices.
  if (Resources().desktopEntry != nullptr) {
    hints[QStringLiteral("desktop-entry")] = QString::fromUtf8(Resources().desktopEntry);
  }
  notify << QString::fromStdString(AfxGetAppName()) << (iconNotice ? shown_ : 0u)
         << QString(icon == NoticeIcon::kWarning ? "dialog-warning" : "dialog-information") << title
         << (markup_.value_or(false) ? text.toHtmlEscaped() : text) << actions << hints
         << kServersTimeout;
  WhenAnswered<QDBusPendingReply<uint>>(notify,
                                        [this, iconNotice](const QDBusPendingReply<uint>& id) {
                                          if (iconNotice && id.isValid()) shown_ = id.value();
                                        });
}

void DesktopNotice::OnActionInvoked(uint id, const QString& action) {
  if (id != 0 && id == shown_ && action == kDefaultAction) activated_();
}

}  // namespace ui::qt
