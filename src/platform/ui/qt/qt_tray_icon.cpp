#include "platform/ui/qt/qt_tray_icon.h"

#include <atomic>

#include <QApplication>
#include <QSystemTrayIcon>
#include <QTimer>

#include "platform/ui/qt/desktop_notice.h"
#include "platform/ui/qt/program_icon.h"
#include "platform/ui/qt/status_notifier_item.h"
#include "platform/ui/qt/tray_host_watch.h"
#include "platform/ui/shell_notify.h"
#include "platform/ui/win_app.h"

namespace ui::qt {

namespace {

std::atomic<std::chrono::milliseconds> trayHostWait{kTrayHostWait};

UINT MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context:  // the right button's press
      return WM_RBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
      return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
      return WM_MBUTTONDOWN;
    default:  // Trigger: the left button's press
      return WM_LBUTTONDOWN;
  }
}

}  // namespace

std::chrono::milliseconds SetTrayHostWaitForTesting(std::chrono::milliseconds wait) {
  return trayHostWait.exchange(wait);
}

bool QtTrayIcon::Add(const TrayIcon& icon, DWORD& error) {
  if (StatusNotifierHostRegistered() && AddToStatusNotifierHost(icon)) return true;
  if (XEmbedTrayHostPresent()) {
    AddToXEmbedTray(icon);
    return true;
  }
  Leave();
  SayWhenNoTrayComes();
  error = ERROR_NO_TRAY_HOST;
  return false;
}

bool QtTrayIcon::Modify(const TrayIcon& icon, DWORD& error) {
  switch (tray_) {
    case Tray::kStatusNotifier:
      item_->Update(icon);
      return true;
    case Tray::kXEmbed:
      ApplyToXEmbedIcon(icon);
      return true;
    case Tray::kNone:
      break;
  }
  error = ERROR_NO_TRAY_HOST;
  return false;
}

bool QtTrayIcon::Delete() {
  const bool shown = tray_ != Tray::kNone;
  Leave();
  return shown;
}

bool QtTrayIcon::AddToStatusNotifierHost(const TrayIcon& icon) {
  if (item_ == nullptr) item_ = new StatusNotifierItem(qApp);  // never destroyed, like the app
  if (!item_->Register(icon)) return false;
  if (xembedIcon_ != nullptr) xembedIcon_->hide();
  tray_ = Tray::kStatusNotifier;
  if (noTrayNotice_ != nullptr) noTrayNotice_->stop();
  return true;
}

void QtTrayIcon::AddToXEmbedTray(const TrayIcon& icon) {
  if (tray_ == Tray::kStatusNotifier) item_->Unregister();
  if (xembedIcon_ == nullptr) {
    xembedIcon_ = new QSystemTrayIcon(qApp);
    QObject::connect(xembedIcon_, &QSystemTrayIcon::activated,
                     [](auto reason) { DeliverTrayMouseEvent(MouseMessageOf(reason)); });
  }
  ApplyToXEmbedIcon(icon);
  // Hidden and shown again, the icon docks in whichever XEmbed tray is there now.
  xembedIcon_->hide();
  xembedIcon_->show();
  tray_ = Tray::kXEmbed;
  if (noTrayNotice_ != nullptr) noTrayNotice_->stop();
}

void QtTrayIcon::Leave() {
  if (tray_ == Tray::kStatusNotifier) item_->Unregister();
  if (xembedIcon_ != nullptr) xembedIcon_->hide();
  tray_ = Tray::kNone;
}

// An XEmbed icon gets no menu: Qt would pop it up on the right-button press itself, beside the
// program's own.
void QtTrayIcon::ApplyToXEmbedIcon(const TrayIcon& icon) {
  xembedIcon_->setIcon(IconOf(icon.icon));
  xembedIcon_->setToolTip(QString::fromUtf8(icon.tip));
  if (!icon.notice.empty()) {
    xembedIcon_->showMessage(QString::fromUtf8(icon.noticeTitle), QString::fromUtf8(icon.notice),
                             QSystemTrayIcon::Warning);
  }
}

// Once, when the icon has waited that long for a tray: the desktop's notification service needs
// none.
void QtTrayIcon::SayWhenNoTrayComes() {
  if (Resources().noTrayNotice == nullptr) return;
  if (noTrayNotice_ == nullptr) {
    noTrayNotice_ = new QTimer(qApp);
    noTrayNotice_->setSingleShot(true);
    QObject::connect(noTrayNotice_, &QTimer::timeout, [this] {
      ShowDesktopNotice(QString::fromStdString(AfxGetAppName()),
                        QString::fromUtf8(Resources().noTrayNotice));
      noTrayNoticeSaid_ = true;
    });
  }
  if (noTrayNoticeSaid_ || noTrayNotice_->isActive()) return;
  noTrayNotice_->start(trayHostWait.load());
}

}  // namespace ui::qt
