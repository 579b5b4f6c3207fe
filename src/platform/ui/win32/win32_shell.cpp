#include <objbase.h>

#include <algorithm>
#include <deque>
#include <iterator>
#include <mutex>
#include <thread>

#include "base/no_destructor.h"
#include "platform/codepage/codepage.h"
#include "platform/ui/win32/win32_api.h"
#include "platform/ui/win32/win32_windows.h"

namespace ui::win32 {

namespace {

constexpr UINT kTaskMessage = WM_APP;
constexpr UINT kTrayMessage = WM_USER + 1;  // the icon's callback message

HWND mainWindow = nullptr;
DWORD uiThread = 0;
UINT taskbarCreatedMessage = 0;
MainWindowEvents mainEvents;

std::mutex tasksMutex;
NoDestructor<std::deque<std::function<void()>>> tasks;

std::function<void()> TakeTask() {
  std::lock_guard lock(tasksMutex);
  if (tasks->empty()) return {};
  std::function<void()> task = std::move(tasks->front());
  tasks->pop_front();
  return task;
}

LRESULT CALLBACK MainWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == kTaskMessage) {
    // One task per message: a task that runs a nested loop lets the later ones run inside it.
    if (const std::function<void()> task = TakeTask()) task();
    return 0;
  }
  if (message == kTrayMessage) {
    mainEvents.trayMouse(LOWORD(lParam));
    return 0;
  }
  if (message == taskbarCreatedMessage && message != 0) {
    mainEvents.taskbarCreated();
    return 0;
  }
  // Closing is the framework's decision, not the window system's: a close request from outside
  // (taskkill without /F) and the session's end go to it and end the program as its exit does.
  // Past WM_ENDSESSION the process may be ended at any moment, so that is handled before return.
  if (message == WM_CLOSE || (message == WM_ENDSESSION && wParam != FALSE)) {
    mainEvents.closeRequest();
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

NOTIFYICONDATAW IconData() {
  NOTIFYICONDATAW data{};
  data.cbSize = sizeof data;  // the full layout of this build, whatever its size
  data.hWnd = mainWindow;
  data.uID = 0;
  return data;
}

}  // namespace

std::wstring ToWide(const std::string& utf8) {
  const std::u16string wide = platform::Utf8ToWide(utf8);
  return std::wstring(wide.begin(), wide.end());
}

bool CreateMainWindow(const std::string& titleUtf8, MainWindowEvents events) {
  if (mainWindow != nullptr) return true;
  INITCOMMONCONTROLSEX controls{.dwSize = sizeof controls, .dwICC = ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  // ShellExecute may hand the address to shell extensions, which want COM on the calling thread.
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED | COINIT_DISABLE_OLE1DDE);
  uiThread = GetCurrentThreadId();
  mainEvents = std::move(events);
  taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");

  WNDCLASSW windowClass{};
  windowClass.style = CS_HREDRAW | CS_VREDRAW;
  windowClass.lpfnWndProc = MainWindowProc;
  windowClass.hInstance = GetModuleHandleW(nullptr);
  windowClass.lpszClassName = L"KobanuMainWindow";
  RegisterClassW(&windowClass);
  // A top-level window, as only those hear the taskbar's broadcast; WS_POPUP and never shown.
  mainWindow = CreateWindowExW(0, windowClass.lpszClassName, ToWide(titleUtf8).c_str(), WS_POPUP,
                               10, 10, 10, 10, nullptr, nullptr, windowClass.hInstance, nullptr);
  return mainWindow != nullptr;
}

HWND MainWindow() { return mainWindow; }

bool IsUiThread() { return GetCurrentThreadId() == uiThread; }

void PostTask(std::function<void()> task) {
  {
    std::lock_guard lock(tasksMutex);
    tasks->push_back(std::move(task));
  }
  PostMessageW(mainWindow, kTaskMessage, 0, 0);
}

void RunMessages(const bool& exited) {
  MSG message;
  while (!exited) {
    const BOOL got = GetMessageW(&message, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    if (got < 0) return;
    const HWND root = message.hwnd != nullptr ? GetAncestor(message.hwnd, GA_ROOT) : nullptr;
    if (IsOurDialog(root) && IsDialogMessageW(root, &message)) continue;
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void WakeMessages() { PostMessageW(mainWindow, WM_NULL, 0, 0); }

void ShowWarningBox(const std::string& captionUtf8, const std::string& textUtf8, bool alert,
                    std::function<void()> dismissed) {
  // The owner is a window of the UI thread; the box's thread shares its input while it lasts.
  const HWND owner = alert ? nullptr : TopDialog();
  const UINT style = MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND | (alert ? MB_TOPMOST : 0);
  std::thread([owner, style, caption = ToWide(captionUtf8), text = ToWide(textUtf8),
               dismissed = std::move(dismissed)] {
    MessageBoxW(owner, text.c_str(), caption.c_str(), style);
    PostTask(dismissed);
  }).detach();
}

bool NotifyIcon(bool add, unsigned iconId, const std::string& tipUtf8,
                const std::string& noticeTitleUtf8, const std::string& noticeUtf8,
                bool noticeIsWarning, uint32_t& error) {
  // The hidden window sits on the primary monitor, where the taskbar and its tray are.
  const UINT dpi = GetDpiForWindow(mainWindow);
  // The icon resource has an image for each common small-icon size; not shared, as the size
  // differs from one DPI to another.
  const auto icon = static_cast<HICON>(LoadImageW(
      GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId), IMAGE_ICON,
      GetSystemMetricsForDpi(SM_CXSMICON, dpi), GetSystemMetricsForDpi(SM_CYSMICON, dpi), 0));
  NOTIFYICONDATAW data = IconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = icon;
  const std::wstring tip = ToWide(tipUtf8);
  tip.copy(data.szTip, std::size(data.szTip) - 1);
  if (!noticeUtf8.empty()) {
    data.uFlags |= NIF_INFO;
    data.dwInfoFlags = noticeIsWarning ? NIIF_WARNING : NIIF_INFO;
    ToWide(noticeUtf8).copy(data.szInfo, std::size(data.szInfo) - 1);
    ToWide(noticeTitleUtf8).copy(data.szInfoTitle, std::size(data.szInfoTitle) - 1);
  }
  const bool done = Shell_NotifyIconW(add ? NIM_ADD : NIM_MODIFY, &data) != FALSE;
  if (!done) error = GetLastError();
  // The shell keeps its own copy of the image.
  if (icon != nullptr) DestroyIcon(icon);
  return done;
}

bool DeleteNotifyIcon() {
  NOTIFYICONDATAW data = IconData();
  return Shell_NotifyIconW(NIM_DELETE, &data) != FALSE;
}

unsigned TrackMenu(unsigned menuId, int x, int y) {
  const HMENU menu = LoadMenuW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(menuId));
  if (menu == nullptr) return 0;
  // Without the foreground the menu would not close when the user clicks elsewhere; the null
  // message afterwards lets a second right click open it again at once.
  SetForegroundWindow(mainWindow);
  const BOOL command =
      TrackPopupMenu(GetSubMenu(menu, 0), TPM_RETURNCMD, x, y, 0, mainWindow, nullptr);
  PostMessageW(mainWindow, WM_NULL, 0, 0);
  DestroyMenu(menu);
  return static_cast<unsigned>(command);
}

void CursorPosition(int& x, int& y) {
  POINT at{};
  GetCursorPos(&at);
  x = at.x;
  y = at.y;
}

bool OpenAddress(const std::string& address) {
  const auto result = reinterpret_cast<INT_PTR>(
      ShellExecuteA(nullptr, "open", address.c_str(), nullptr, nullptr, SW_SHOWNORMAL));
  return result > 32;
}

}  // namespace ui::win32
