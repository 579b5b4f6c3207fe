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

void NoticeClicked() { DeliverTrayMouseEvent(NIN_BALLOONUSERCLICK); }

}  // namespace

std::chrono::milliseconds SetTrayHostWaitForTesting(std::chrono::milliseconds wait) {
  return trayHostWait.exchange(wait);
}

bool QtTrayIcon::Add(const TrayIcon& icon, DWORD& error) {
  if (StatusNotifierHostRegistered() && AddToStatusNotifierHost(icon)) {
    ShowNotice(icon);
    return true;
  }
  if (XEmbedTrayHostPresent()) {
    AddToXEmbedTray(icon);
    ShowNotice(icon);
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
      break;
    case Tray::kXEmbed:
      ApplyToXEmbedIcon(icon);
      break;
    case Tray::kNone:
      error = ERROR_NO_TRAY_HOST;
      return false;
  }
  ShowNotice(icon);
  return true;
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
    QObject::connect(xembedIcon_, &QSystemTrayIcon::messageClicked, NoticeClicked);
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
}

// A StatusNotifierItem's notices go to the desktop's notification service with their default
// action; an XEmbed icon's are Qt's own balloon, whose click Qt reports.
void QtTrayIcon::ShowNotice(const TrayIcon& icon) {
  if (icon.notice.empty()) return;
  const QString title = QString::fromUtf8(icon.noticeTitle);
  const QString text = QString::fromUtf8(icon.notice);
  if (tray_ == Tray::kStatusNotifier) {
    Notices().ShowIconNotice(title, text, icon.noticeIcon);
  } else if (tray_ == Tray::kXEmbed) {
    xembedIcon_->showMessage(title, text,
                             icon.noticeIcon == NoticeIcon::kWarning
                                 ? QSystemTrayIcon::Warning
                                 : QSystemTrayIcon::Information);
  }
}

DesktopNotice& QtTrayIcon::Notices() {
  if (notices_ == nullptr) notices_ = new DesktopNotice(NoticeClicked);  // never destroyed
  return *notices_;
}

// Once, when the icon has waited that long for a tray: the desktop's notification service needs
// none.
void QtTrayIcon::SayWhenNoTrayComes() {
  if (Resources().noTrayNotice == nullptr) return;
  if (noTrayNotice_ == nullptr) {
    noTrayNotice_ = new QTimer(qApp);
    noTrayNotice_->setSingleShot(true);
    QObject::connect(noTrayNotice_, &QTimer::timeout, [this] {
      Notices().ShowPlainNotice(QString::fromStdString(AfxGetAppName()),
                                QString::fromUtf8(Resources().noTrayNotice));
      noTrayNoticeSaid_ = true;
    });
  }
  if (noTrayNoticeSaid_ || noTrayNotice_->isActive()) return;
  noTrayNotice_->start(trayHostWait.load());
}

}  // namespace ui::qt
