#include "platform/ui/qt/qt_backend.h"

#include <QApplication>
#include <QCursor>
#include <QDesktopServices>
#include <QEventLoop>
#include <QLibraryInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPointer>
#include <QStyle>
#include <QStyleFactory>
#include <QSystemTrayIcon>
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include "platform/ui/qt/default_colormap.h"
#include "platform/ui/qt/dialog_font.h"
#include "platform/ui/qt/qt_dialog.h"
#include "platform/ui/qt/start_application.h"
#include "platform/ui/qt/tray_host_watch.h"
#include "platform/ui/shell_notify.h"

// The icons are compiled into this static library; its resources must be registered by hand.
static void RegisterIcons() { Q_INIT_RESOURCE(icons); }

namespace ui::qt {

namespace {

class QtLoop : public EventLoop {
 public:
  int Run() override { return exited_ ? code_ : loop_.exec(); }
  void Exit(int code) override {
    exited_ = true;
    code_ = code;
    loop_.exit(code);
  }

 private:
  QEventLoop loop_;
  bool exited_ = false;  // an exit before Run must still end it
  int code_ = 0;
};

UINT MouseMessageOf(QSystemTrayIcon::ActivationReason reason) {
  switch (reason) {
    case QSystemTrayIcon::Context:  // the right button's press
      return WM_RBUTTONDOWN;
    case QSystemTrayIcon::DoubleClick:
      return WM_LBUTTONDBLCLK;
    case QSystemTrayIcon::MiddleClick:
      return WM_MBUTTONDOWN;
    default:
      return WM_LBUTTONDOWN;
  }
}

QIcon IconOf(HICON icon) {
  QIcon result;
  for (const int size : {16, 24, 32, 48}) {
    result.addFile(QString(":/icons/%1_%2.png").arg(icon).arg(size), QSize(size, size));
  }
  return result;
}

class QtBackend : public Backend {
 public:
  bool IsUiThread() const override { return QThread::currentThread() == qApp->thread(); }

  void Post(std::function<void()> task) override {
    QMetaObject::invokeMethod(qApp, std::move(task), Qt::QueuedConnection);
  }

  std::unique_ptr<EventLoop> NewEventLoop() override { return std::make_unique<QtLoop>(); }

  bool CreateInvisibleWindow() override { return true; }  // the tray icon needs no window

  std::unique_ptr<NativeDialog> CreateDialog(const DialogTemplate& dialog,
                                             DialogEvents& events) override {
    return std::make_unique<QtDialog>(dialog, events);
  }

  // Shown without a nested loop: closing a dialog never waits for an unrelated box.
  void ShowMessageBox(const std::string& caption, const std::string& text, BoxOrigin,
                      std::function<void()> dismissed) override {
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(caption),
                                QString::fromUtf8(text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setAccessibleName(box->windowTitle());
    // With no window manager, nothing else would make the window that was active before the box
    // active again, as Windows does when the active window goes. One that has since been
    // closed, or that a dialog over it now disables, stays as it is.
    QObject::connect(box, &QMessageBox::finished, box,
                     [dismissed, previous = QPointer<QWidget>(QApplication::activeWindow())] {
                       if (previous != nullptr && previous->isVisible() && previous->isEnabled()) {
                         previous->activateWindow();
                       }
                       dismissed();
                     });
    box->show();
    box->raise();
    box->activateWindow();
  }

  bool AddTrayIcon(const TrayIcon& icon, DWORD& error) override {
    // Our own look first: Qt decides once, at its first question, whether a StatusNotifier
    // watcher is there, and a panel that starts after us would then never be seen.
    if (!TrayHostPresent() || !QSystemTrayIcon::isSystemTrayAvailable()) {
      error = ERROR_NO_TRAY_HOST;
      return false;
    }
    if (tray_ == nullptr) {
      tray_ = new QSystemTrayIcon(qApp);
      QObject::connect(tray_, &QSystemTrayIcon::activated, tray_,
                       [](QSystemTrayIcon::ActivationReason reason) {
                         DeliverTrayMouseEvent(MouseMessageOf(reason));
                       });
    }
    Apply(icon);
    // Hidden and shown again, the icon docks into whichever tray host is there now.
    tray_->hide();
    tray_->show();
    return true;
  }

  bool ModifyTrayIcon(const TrayIcon& icon, DWORD& error) override {
    if (tray_ == nullptr || !tray_->isVisible()) {
      error = ERROR_NO_TRAY_HOST;
      return false;
    }
    Apply(icon);
    return true;
  }

  bool DeleteTrayIcon() override {
    if (tray_ == nullptr || !tray_->isVisible()) return false;
    tray_->hide();
    return true;
  }

  UINT TrackPopupMenu(const MenuTemplate& menu, POINT at) override {
    QMenu popup;
    popup.setAccessibleName(QString::fromUtf8(menu.popupTitle));
    for (const MenuItemTemplate& item : menu.items) {
      if (item.text == nullptr) {
        popup.addSeparator();
      } else {
        popup.addAction(QString::fromUtf8(item.text))->setData(item.command);
      }
    }
    const QAction* chosen = popup.exec(QPoint(at.x, at.y));
    return chosen != nullptr ? chosen->data().toUInt() : 0;
  }

  POINT CursorPos() override {
    const QPoint at = QCursor::pos();
    return {at.x(), at.y()};
  }

  bool OpenInBrowser(const std::string& address) override {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::StrictMode));
  }

 private:
  void Apply(const TrayIcon& icon) {
    tray_->setIcon(IconOf(icon.icon));
    tray_->setToolTip(QString::fromUtf8(icon.tip));
  }

  QSystemTrayIcon* tray_ = nullptr;
};

}  // namespace

void InstallQtBackend(int& argc, char** argv) {
  // The templates were laid out for this look: group titles on the frame line, so that the
  // frames enclose their controls. Set before the application exists, so that a style the user
  // asks for (-style, QT_STYLE_OVERRIDE), which the application applies as it starts, wins.
  QStyle* windows = QStyleFactory::create("Windows");
  QApplication::setStyle(windows);
  // Never destroyed, like the backend: the worker may still be waiting on it at exit.
  QApplication* application = StartApplication(argc, argv);
  if (QApplication::style() != windows) delete windows;  // replaced, and not the application's
  RegisterIcons();
  // Qt's own texts, such as an edit box's menu, in the program's language; English where Qt's
  // translations are not installed.
  auto* translator = new QTranslator(application);
  if (translator->load("qt_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
  UseDefaultColormap();
  // Dialogs come and go; only the main window's end quits.
  application->setQuitOnLastWindowClosed(false);
  // Without it, boxes, menus and tips would take fontconfig's default face, whose kana are
  // fixed-pitch and wide.
  QApplication::setFont(ShellDialogFont(kProgramFontPointSize));
  InstallBackend(std::make_unique<QtBackend>());
  WatchTrayHost();
}

}  // namespace ui::qt

namespace ui {

void InstallDesktopBackend(int& argc, char** argv) { qt::InstallQtBackend(argc, argv); }

}  // namespace ui
