#include "platform/ui/qt/qt_tray_icon.h"

#include <QApplication>
#include <QMenu>
#include <QSystemTrayIcon>

#include "platform/ui/qt/qt_menu.h"
#include "platform/ui/qt/tray_host_watch.h"
#include "platform/ui/shell_notify.h"

namespace ui::qt {

namespace {

// The program brings its icons as Qt resources, by id and size: ":/icons/128_16.png".
QIcon IconOf(HICON icon) {
  QIcon result;
  for (const int size : {16, 24, 32, 48}) {
    result.addFile(QString(":/icons/%1_%2.png").arg(icon).arg(size), QSize(size, size));
  }
  return result;
}

}  // namespace

bool QtTrayIcon::Add(const TrayIcon& icon, DWORD& error) {
  // Qt settles once, at its first question, between the StatusNotifier tray and the XEmbed one,
  // and reads the watcher's host only then: it is asked only once a host is there, so that a
  // panel whose host registers after its watcher, or after us, still gets the icon.
  const bool statusNotifier = StatusNotifierHostRegistered();
  if ((!statusNotifier && !XEmbedTrayHostPresent()) || !QSystemTrayIcon::isSystemTrayAvailable()) {
    error = ERROR_NO_TRAY_HOST;
    return false;
  }
  if (tray_ == nullptr) Create(statusNotifier);
  Apply(icon);
  // Hidden and shown again, the icon registers with whichever tray host is there now.
  tray_->hide();
  tray_->show();
  if (statusNotifier_) NoteStatusNotifierRegistration();
  return true;
}

bool QtTrayIcon::Modify(const TrayIcon& icon, DWORD& error) {
  if (tray_ == nullptr || !tray_->isVisible()) {
    error = ERROR_NO_TRAY_HOST;
    return false;
  }
  Apply(icon);
  return true;
}

bool QtTrayIcon::Delete() {
  if (tray_ == nullptr || !tray_->isVisible()) return false;
  tray_->hide();
  return true;
}

void QtTrayIcon::Create(bool statusNotifier) {
  statusNotifier_ = statusNotifier;
  tray_ = new QSystemTrayIcon(qApp);
  QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                   [this](QSystemTrayIcon::ActivationReason reason) {
                     DeliverTrayMouseEvent(MouseMessageOf(reason));
                   });
}

void QtTrayIcon::Apply(const TrayIcon& icon) {
  tray_->setIcon(IconOf(icon.icon));
  tray_->setToolTip(QString::fromUtf8(icon.tip));
  if (!icon.notice.empty()) {
    tray_->showMessage(QString::fromStdString(icon.noticeTitle),
                       QString::fromStdString(icon.notice), QSystemTrayIcon::Warning);
  }
  // An XEmbed icon gets none: Qt would pop it up on the right-button press itself, beside the
  // program's own.
  if (statusNotifier_ && icon.menu != nullptr && icon.menu != exportedItems_) {
    if (exportedMenu_ == nullptr) {
      exportedMenu_ = new QMenu;  // never destroyed, like the icon
      QObject::connect(exportedMenu_, &QMenu::triggered,
                       [](const QAction* action) { DeliverTrayMenuCommand(CommandOf(*action)); });
      tray_->setContextMenu(exportedMenu_);
    }
    // Another menu of the program's: the exported one changes with it (dbusmenu's
    // LayoutUpdated).
    exportedMenu_->clear();
    AddMenuItems(*exportedMenu_, *icon.menu);
    exportedItems_ = icon.menu;
  }
}

UINT QtTrayIcon::MouseMessageOf(int reason) const {
  switch (reason) {
    case QSystemTrayIcon::Context:  // the right button's press, or the host's ContextMenu call
      return WM_RBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
      return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
      return WM_MBUTTONDOWN;
    default:  // Trigger: the left button's press, or the host's Activate call
      return statusNotifier_ ? NIN_SELECT : WM_LBUTTONDOWN;
  }
}

}  // namespace ui::qt
