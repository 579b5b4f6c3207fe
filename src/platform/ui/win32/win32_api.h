#pragma once

#include <cstdint>
#include <functional>
#include <string>

// The Win32 calls behind the Win32 backend, in standard types only: <windows.h> and the
// framework's own Windows-shaped declarations (win_types.h) cannot meet in one file. Texts named
// utf8 are fixed texts of src/res; all others are data in the system's ANSI code page. Everything
// but PostTask runs on the UI thread.
namespace ui::win32 {

struct MainWindowEvents {
  std::function<void(unsigned mouseMessage)> trayMouse;  // WM_RBUTTONDOWN and the like
  std::function<void()> taskbarCreated;
  std::function<void()> closeRequest;  // WM_CLOSE from outside, or the session's end
};

// The hidden main window: it owns the tray icon, receives its messages and runs posted tasks.
// Also initialises the common controls and COM. The calling thread becomes the UI thread.
bool CreateMainWindow(const std::string& titleUtf8, MainWindowEvents events);
bool IsUiThread();
void PostTask(std::function<void()> task);  // any thread
// Gets and dispatches the thread's messages, keyboard navigation in dialogs included, until
// exited is true or WM_QUIT arrives (which is then posted again for the loops outside).
void RunMessages(const bool& exited);
// Makes the innermost RunMessages look at its flag again: a message sent from another thread or
// program is handled inside GetMessage, which goes on waiting after it.
void WakeMessages();

// MessageBoxW with the warning icon and one OK button, on a thread of its own so that the UI
// thread goes on; dismissed is posted to the UI thread when the user has closed it. An alert
// stands above every window with no owner; any other box belongs to the innermost open dialog.
void ShowWarningBox(const std::string& captionUtf8, const std::string& textUtf8, bool alert,
                    std::function<void()> dismissed);

// Shell_NotifyIconW: NIM_ADD when add, NIM_MODIFY otherwise; error is GetLastError's on failure.
// The icon is loaded at the small-icon size of the tray's DPI.
// A notice that is not empty shows once as the icon's balloon, with the warning icon or the
// information one; a click on it comes as NIN_BALLOONUSERCLICK.
bool NotifyIcon(bool add, unsigned iconId, const std::string& tipUtf8,
                const std::string& noticeTitleUtf8, const std::string& noticeUtf8,
                bool noticeIsWarning, uint32_t& error);
bool DeleteNotifyIcon();
// The menu resource's first pop-up at x, y; the chosen command, or 0.
unsigned TrackMenu(unsigned menuId, int x, int y);
void CursorPosition(int& x, int& y);
bool OpenAddress(const std::string& address);  // ShellExecuteA "open"

// A later start's requests (instance_requests.h) over a named pipe of the user's session named
// after the instance lock: a thread of its own waits on the pipe and posts each command to the
// UI thread, where received gets it.
void ServeRequests(const std::string& lockName, std::function<void(unsigned command)> received);
bool SendRequest(const std::string& lockName, unsigned command);

// One paint of an owner-drawn control, in the control's pixels and the dialog's font, drawn
// off the screen and put there whole when it ends (so that a repaint does not flicker). Colors
// are 0x00BBGGRR, formats DrawText's.
class ControlCanvas {
 public:
  ControlCanvas(void* drawItem);  // the DRAWITEMSTRUCT of WM_DRAWITEM
  ~ControlCanvas();
  ControlCanvas(const ControlCanvas&) = delete;
  ControlCanvas& operator=(const ControlCanvas&) = delete;

  int Width() const { return width_; }
  int Height() const { return height_; }
  int Dpi() const;
  void FillRect(int left, int top, int right, int bottom, uint32_t color);
  void Line(int x1, int y1, int x2, int y2, int width, uint32_t color);
  void Text(int left, int top, int right, int bottom, const std::string& textUtf8, unsigned format,
            uint32_t color);
  void TextSize(const std::string& textUtf8, int& cx, int& cy);

 private:
  void* screen_;   // HDC
  void* control_;  // HWND
  void* memory_;   // HDC
  void* bitmap_;   // HBITMAP
  void* oldBitmap_;
  void* oldFont_;
  int width_;
  int height_;
};

// One dialog window, created hidden from its dialog resource.
class DialogWindow {
 public:
  struct Events {
    std::function<void(int controlId, unsigned code)> notify;  // BN_CLICKED, EN_CHANGE, NM_DBLCLK
    std::function<void()> closeRequest;                        // the close box
    std::function<void(int controlId, ControlCanvas& canvas)> draw;  // an owner-drawn control
  };
  DialogWindow(unsigned templateId, Events events);
  ~DialogWindow();
  DialogWindow(const DialogWindow&) = delete;
  DialogWindow& operator=(const DialogWindow&) = delete;

  bool Exists() const { return window_ != nullptr; }
  void Show();
  void SetEnabled(bool enabled);
  // SendDlgItemMessageA: the framework's messages carry Windows' own numbers.
  intptr_t SendToControl(int controlId, unsigned message, uintptr_t wParam, intptr_t lParam);
  std::string Text(int controlId);
  void SetText(int controlId, const std::string& text);  // WM_SETTEXT, so EN_CHANGE follows
  // EnableWindow: true when the control was disabled before.
  bool EnableControl(int controlId, bool enabled);
  // EM_SETPASSWORDCHAR: an edit's text hidden behind the system's mask, or shown.
  void SetTextMasked(int controlId, bool masked);
  // InvalidateRect: an owner-drawn control is drawn again soon.
  void Invalidate(int controlId);

  // The width is in pixels at 96 DPI, scaled to the dialog's DPI.
  bool InsertColumn(int controlId, int column, const std::string& titleUtf8, int width);
  int InsertItem(int controlId, int position, const std::string& text);
  bool SetItemText(int controlId, int item, int subItem, const std::string& text);
  uint32_t ExtendedStyle(int controlId);
  void SetExtendedStyle(int controlId, uint32_t style);
  bool IsItemSelected(int controlId, int item);
  int ItemCount(int controlId);

 private:
  Events events_;
  void* window_ = nullptr;  // HWND
};

}  // namespace ui::win32
