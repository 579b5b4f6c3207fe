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
#include <QThread>
#include <QTranslator>
#include <QUrl>

#include "platform/ui/qt/close_requests.h"
#include "platform/ui/qt/default_colormap.h"
#include "platform/ui/qt/dialog_font.h"
#include "platform/ui/qt/program_icon.h"
#include "platform/ui/qt/qt_dialog.h"
#include "platform/ui/qt/qt_menu.h"
#include "platform/ui/qt/qt_tray_icon.h"
#include "platform/ui/qt/start_application.h"
#include "platform/ui/qt/tray_host_watch.h"

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
  void ShowMessageBox(const std::string& caption, const std::string& text, BoxOrigin origin,
                      std::function<void()> dismissed) override {
    auto* box = new QMessageBox(QMessageBox::Warning, QString::fromUtf8(caption),
                                QString::fromUtf8(text), QMessageBox::Ok);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->setWindowModality(Qt::NonModal);
    box->setAccessibleName(box->windowTitle());
    // A box of the dialogs is modal to the dialog it belongs to, for the window manager too
    // (_NET_WM_STATE_MODAL): it stays over the dialog, which a click on that dialog would
    // otherwise raise over it, and keeps the focus. The worker's alerts belong to none.
    if (QWindow* owner = origin == BoxOrigin::UiThread ? InnermostShownDialog() : nullptr) {
      MakeTransientFor(*box, owner);
      box->setWindowModality(Qt::WindowModal);
    }
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

  bool AddTrayIcon(const TrayIcon& icon, DWORD& error) override { return tray_.Add(icon, error); }
  bool ModifyTrayIcon(const TrayIcon& icon, DWORD& error) override {
    return tray_.Modify(icon, error);
  }
  bool DeleteTrayIcon() override { return tray_.Delete(); }

  UINT TrackPopupMenu(const MenuTemplate& menu, POINT at) override {
    // A Wayland client places a pop-up only beside a window of its own under the pointer; the
    // panel shows the icon's exported menu itself. Qt would make an ordinary window of it, which
    // the compositor places and sizes as it likes.
    if (QGuiApplication::platformName().startsWith("wayland")) return 0;
    QMenu popup;
    AddMenuItems(popup, menu);
    const QAction* chosen = popup.exec(QPoint(at.x, at.y));
    return chosen != nullptr ? CommandOf(*chosen) : 0;
  }

  POINT CursorPos() override {
    const QPoint at = QCursor::pos();
    return {at.x(), at.y()};
  }

  bool OpenInBrowser(const std::string& address) override {
    return QDesktopServices::openUrl(QUrl(QString::fromStdString(address), QUrl::StrictMode));
  }

 private:
  QtTrayIcon tray_;
};

}  // namespace

void InstallQtBackend(int& argc, char** argv) {
  // The templates were laid out for this look: group titles on the frame line, so that the
  // frames enclose their controls. Set before the application exists, so that a style the user
  // asks for (-style, QT_STYLE_OVERRIDE), which the application applies as it starts, wins.
  QStyle* windows = QStyleFactory::create("Windows");
  QApplication::setStyle(windows);
  // The Wayland app id, which the compositor matches with the desktop entry for the windows' icon
  // and name.
  if (Resources().desktopEntry != nullptr) {
    QGuiApplication::setDesktopFileName(QString::fromUtf8(Resources().desktopEntry));
  }
  // Never destroyed, like the backend: the worker may still be waiting on it at exit.
  QApplication* application = StartApplication(argc, argv);
  if (QApplication::style() != windows) delete windows;  // replaced, and not the application's
  // Qt's own texts, such as an edit box's menu, in the program's language; English where Qt's
  // translations are not installed.
  auto* translator = new QTranslator(application);
  if (translator->load("qt_ja", QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
    QApplication::installTranslator(translator);
  }
  UseDefaultColormap();
  // On every window (_NET_WM_ICON on X11), as on the tray icon: title bars and task switchers.
  if (Resources().programIcon != 0) QApplication::setWindowIcon(IconOf(Resources().programIcon));
  // Dialogs come and go; only the main window's end quits.
  application->setQuitOnLastWindowClosed(false);
  // Without it, boxes, menus and tips would take fontconfig's default face, whose kana are
  // fixed-pitch and wide.
  QApplication::setFont(ShellDialogFont(kProgramFontPointSize));
  InstallBackend(std::make_unique<QtBackend>());
  WatchTrayHost();
  DeliverCloseRequestsFromOutside();
}

}  // namespace ui::qt

namespace ui {

void InstallDesktopBackend(int& argc, char** argv) { qt::InstallQtBackend(argc, argv); }

}  // namespace ui
