#include "platform/ui/backend.h"
#include "platform/ui/desktop_backend.h"
#include "platform/ui/instance_requests.h"
#include "platform/ui/win32/win32_api.h"

// The Win32 window system: the framework's backend calls turned into the Win32 side's
// (win32_api.h), which works the real windows.
namespace ui {

namespace {

class Win32Loop : public EventLoop {
 public:
  int Run() override {
    win32::RunMessages(exited_);
    return code_;
  }
  void Exit(int code) override {
    exited_ = true;
    code_ = code;
    win32::WakeMessages();
  }

 private:
  bool exited_ = false;  // an exit before Run must still end it
  int code_ = -1;        // a WM_QUIT from outside ends the loop like the application's quit
};

// The framework's drawing calls on the canvas of a control's paint.
class CanvasPainter : public Painter {
 public:
  explicit CanvasPainter(win32::ControlCanvas& canvas) : canvas_(canvas) {}

  SIZE Size() const override { return {canvas_.Width(), canvas_.Height()}; }
  int Dpi() const override { return canvas_.Dpi(); }
  void FillRect(const RECT& rect, COLORREF color) override {
    canvas_.FillRect(rect.left, rect.top, rect.right, rect.bottom, color);
  }
  void Line(POINT from, POINT to, int width, COLORREF color) override {
    canvas_.Line(from.x, from.y, to.x, to.y, width, color);
  }
  void Text(const RECT& box, const std::string& text, UINT format, COLORREF color) override {
    canvas_.Text(box.left, box.top, box.right, box.bottom, text, format, color);
  }
  SIZE TextSize(const std::string& text) override {
    SIZE size;
    canvas_.TextSize(text, size.cx, size.cy);
    return size;
  }

 private:
  win32::ControlCanvas& canvas_;
};

class Win32Dialog : public NativeDialog {
 public:
  Win32Dialog(const DialogTemplate& dialog, DialogEvents& events)
      : window_(dialog.id, {[&events](int id, unsigned code) { events.OnControlNotify(id, code); },
                            [&events] { events.OnCloseRequest(); },
                            [&events](int id, win32::ControlCanvas& canvas) {
                              CanvasPainter painter(canvas);
                              events.OnDrawItem(id, painter);
                            }}) {}

  void Show() override { window_.Show(); }
  void SetEnabled(bool enabled) override { window_.SetEnabled(enabled); }

  int GetCheck(int controlId) override {
    return static_cast<int>(window_.SendToControl(controlId, BM_GETCHECK, 0, 0));
  }
  void SetCheck(int controlId, int state) override {
    window_.SendToControl(controlId, BM_SETCHECK, static_cast<WPARAM>(state), 0);
  }
  std::string GetText(int controlId) override { return window_.Text(controlId); }
  void SetText(int controlId, const std::string& text) override {
    window_.SetText(controlId, text);
  }
  bool EnableControl(int controlId, bool enabled) override {
    return window_.EnableControl(controlId, enabled);
  }
  void SetPasswordChar(int controlId, char mask) override {
    window_.SetTextMasked(controlId, mask != 0);
  }
  void Invalidate(int controlId) override { window_.Invalidate(controlId); }

  bool InsertColumn(int controlId, int column, const std::string& title, int width) override {
    return window_.InsertColumn(controlId, column, title, width);
  }
  int InsertItem(int controlId, int position, const std::string& text) override {
    return window_.InsertItem(controlId, position, text);
  }
  bool SetItemText(int controlId, int item, int subItem, const std::string& text) override {
    return window_.SetItemText(controlId, item, subItem, text);
  }
  DWORD GetExtendedStyle(int controlId) override { return window_.ExtendedStyle(controlId); }
  void SetExtendedStyle(int controlId, DWORD style) override {
    window_.SetExtendedStyle(controlId, style);
  }
  bool IsItemSelected(int controlId, int item) override {
    return window_.IsItemSelected(controlId, item);
  }
  int ItemCount(int controlId) override { return window_.ItemCount(controlId); }

 private:
  win32::DialogWindow window_;
};

class Win32Backend : public Backend {
 public:
  bool IsUiThread() const override { return win32::IsUiThread(); }
  void Post(std::function<void()> task) override { win32::PostTask(std::move(task)); }
  std::unique_ptr<EventLoop> NewEventLoop() override { return std::make_unique<Win32Loop>(); }

  bool CreateInvisibleWindow() override {
    return win32::CreateMainWindow(
        Resources().mainWindowTitle,
        {[](unsigned mouseMessage) { DeliverTrayMouseEvent(mouseMessage); },
         [] { DeliverTaskbarCreated(); }, [] { DeliverCloseRequest(); }});
  }

  std::unique_ptr<NativeDialog> CreateDialog(const DialogTemplate& dialog,
                                             DialogEvents& events) override {
    return std::make_unique<Win32Dialog>(dialog, events);
  }

  void ShowMessageBox(const std::string& caption, const std::string& text, BoxOrigin origin,
                      std::function<void()> dismissed) override {
    win32::ShowWarningBox(caption, text, origin == BoxOrigin::Worker, std::move(dismissed));
  }

  bool AddTrayIcon(const TrayIcon& icon, DWORD& error) override {
    return win32::NotifyIcon(true, static_cast<unsigned>(icon.icon), icon.tip, icon.noticeTitle,
                             icon.notice, icon.noticeIcon == NoticeIcon::kWarning, error);
  }
  bool ModifyTrayIcon(const TrayIcon& icon, DWORD& error) override {
    return win32::NotifyIcon(false, static_cast<unsigned>(icon.icon), icon.tip, icon.noticeTitle,
                             icon.notice, icon.noticeIcon == NoticeIcon::kWarning, error);
  }
  bool DeleteTrayIcon() override { return win32::DeleteNotifyIcon(); }

  UINT TrackPopupMenu(const MenuTemplate& menu, POINT at) override {
    return win32::TrackMenu(menu.id, at.x, at.y);
  }
  POINT CursorPos() override {
    POINT at;
    win32::CursorPosition(at.x, at.y);
    return at;
  }

  bool OpenInBrowser(const std::string& address) override { return win32::OpenAddress(address); }
};

}  // namespace

void ServeInstanceRequests(const std::string& lockName) {
  win32::ServeRequests(lockName, [](unsigned command) { DeliverTrayMenuCommand(command); });
}

bool SendInstanceRequest(const std::string& lockName, unsigned command) {
  return win32::SendRequest(lockName, command);
}

void InstallDesktopBackend(int&, char**) {
  InstallBackend(std::make_unique<Win32Backend>());
  // Tasks may be posted before the framework asks for its main window, which runs them.
  CurrentBackend().CreateInvisibleWindow();
}

}  // namespace ui
