#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/ui/templates.h"
#include "platform/ui/win_types.h"

// The narrow seam between our UI framework and a window system (the in-memory one for tests,
// Qt). No toolkit type crosses it. Texts marked "data" are code page 932; all others are fixed
// UTF-8 texts from src/res.
namespace ui {

// One paint of an owner-drawn control (SS_OWNERDRAW): its pixels, from its top left corner. Texts
// are UTF-8, in the dialog's font, on a transparent background. UI thread, during OnDrawItem.
class Painter {
 public:
  virtual SIZE Size() const = 0;  // the control's client area
  virtual int Dpi() const = 0;    // pixels per inch of its screen: 96 at 100 %
  virtual void FillRect(const RECT& rect, COLORREF color) = 0;
  virtual void Line(POINT from, POINT to, int width, COLORREF color) = 0;
  // One line of text in box; format as DrawText's (DT_CENTER, DT_RIGHT, DT_VCENTER, DT_BOTTOM).
  virtual void Text(const RECT& box, const std::string& text, UINT format, COLORREF color) = 0;
  virtual SIZE TextSize(const std::string& text) = 0;

 protected:
  ~Painter() = default;
};

// What a shown dialog reports to the framework, on the UI thread.
class DialogEvents {
 public:
  virtual void OnControlNotify(int controlId, UINT code) = 0;  // BN_CLICKED, EN_CHANGE, NM_DBLCLK
  virtual void OnCloseRequest() = 0;                           // Esc or the close box
  // An owner-drawn control is to be painted, whole.
  virtual void OnDrawItem(int controlId, Painter& painter) = 0;

 protected:
  ~DialogEvents() = default;
};

// The windows of one showing of a dialog, built from its template when it is shown and
// destroyed when it ends, so every showing starts fresh. UI thread only.
class NativeDialog {
 public:
  virtual ~NativeDialog() = default;
  virtual void Show() = 0;
  virtual void SetEnabled(bool enabled) = 0;

  virtual int GetCheck(int controlId) = 0;
  virtual void SetCheck(int controlId, int state) = 0;  // raises no notification
  virtual std::string GetText(int controlId) = 0;       // data
  // An edit raises EN_CHANGE, even when the text does not change, as WM_SETTEXT does; a static
  // text raises nothing. A multi-line edit's lines end in "\r\n".
  virtual void SetText(int controlId, const std::string& text) = 0;  // data
  // True when the control was disabled before, as EnableWindow returns.
  virtual bool EnableControl(int controlId, bool enabled) = 0;
  // 0 shows an edit's text; any other character hides it behind the window system's mask.
  virtual void SetPasswordChar(int controlId, char mask) = 0;
  // An owner-drawn control is painted again soon (OnDrawItem), not at once.
  virtual void Invalidate(int controlId) = 0;

  virtual bool InsertColumn(int controlId, int column, const std::string& title, int width) = 0;
  virtual int InsertItem(int controlId, int position, const std::string& text) = 0;  // data
  virtual bool SetItemText(int controlId, int item, int subItem, const std::string& text) = 0;
  virtual DWORD GetExtendedStyle(int controlId) = 0;
  virtual void SetExtendedStyle(int controlId, DWORD style) = 0;
  virtual bool IsItemSelected(int controlId, int item) = 0;
  virtual int ItemCount(int controlId) = 0;
};

// A nested event loop; posted tasks run while it runs.
class EventLoop {
 public:
  virtual ~EventLoop() = default;
  virtual int Run() = 0;
  virtual void Exit(int code) = 0;
};

enum class NoticeIcon { kWarning, kInformation };

struct TrayIcon {
  HICON icon;
  std::string tip;  // data
  // The menu a tray host that draws the menus of its icons itself offers for this one; nullptr
  // for none. An item chosen there comes back through DeliverTrayMenuCommand.
  const MenuTemplate* menu = nullptr;
  // A notification to show once with this change, when not empty: the desktop's own
  // notification through the icon, or the tray's balloon. A click on it, or its default action,
  // comes back through DeliverTrayMouseEvent as NIN_BALLOONUSERCLICK.
  std::string noticeTitle = {};
  std::string notice = {};
  NoticeIcon noticeIcon = NoticeIcon::kWarning;
};

// Where a message box was raised: on the UI thread it belongs to the innermost open dialog and
// sits over it; the worker's alerts stand above every window and ask for the foreground, so that
// they are seen while the user works elsewhere.
enum class BoxOrigin { UiThread, Worker };

class Backend {
 public:
  virtual ~Backend() = default;

  // Threads. Post may be called from any thread; the task runs in whichever loop the UI thread
  // runs at the time.
  virtual bool IsUiThread() const = 0;
  virtual void Post(std::function<void()> task) = 0;
  virtual std::unique_ptr<EventLoop> NewEventLoop() = 0;

  // The main window has no visible part; false when the window system cannot make it.
  virtual bool CreateInvisibleWindow() = 0;
  virtual std::unique_ptr<NativeDialog> CreateDialog(const DialogTemplate& dialog,
                                                     DialogEvents& events) = 0;

  // Shows a warning box with one OK button and returns at once; dismissed runs on the UI thread
  // when the user has closed it.
  virtual void ShowMessageBox(const std::string& caption, const std::string& text, BoxOrigin origin,
                              std::function<void()> dismissed) = 0;

  // The tray icon; false with an error code when the tray refuses: ERROR_TIMEOUT for a tray too
  // busy to answer, ERROR_NO_TRAY_HOST for none there yet (DeliverTaskbarCreated says when one
  // comes), another for a refusal.
  virtual bool AddTrayIcon(const TrayIcon& icon, DWORD& error) = 0;
  virtual bool ModifyTrayIcon(const TrayIcon& icon, DWORD& error) = 0;
  virtual bool DeleteTrayIcon() = 0;

  // Tracks a pop-up menu at a screen position; the chosen command, or 0 when none was chosen.
  virtual UINT TrackPopupMenu(const MenuTemplate& menu, POINT at) = 0;
  virtual POINT CursorPos() = 0;

  // Hands an address to the default browser; false when it could not be opened.
  virtual bool OpenInBrowser(const std::string& address) = 0;
};

// The process-wide backend. It is never destroyed: the worker may still wait on a message box
// when the process ends.
Backend& CurrentBackend();
void InstallBackend(std::unique_ptr<Backend> backend);

// What a backend reports to the framework, on the UI thread.
void DeliverTrayMouseEvent(UINT mouseMessage);  // WM_RBUTTONDOWN and the like
// An item of the tray icon's menu was chosen outside the program: in a tray host's own drawing of
// the menu, or by a later start of the program. The icon's window gets it as WM_COMMAND once the
// icon is in the tray or waits for a tray host to come; commands that the menu does not hold are
// dropped, and so is every command while no icon was added or the tray refused it.
void DeliverTrayMenuCommand(UINT command);
void DeliverTaskbarCreated();  // a tray host has come, or the icon's has gone
// The system or another program asks the program to end (a close request, the session's end):
// the main window gets WM_CLOSE, as if it had been sent to it, and then every loop ends, also
// those of the boxes and dialogs still open.
void DeliverCloseRequest();

}  // namespace ui
