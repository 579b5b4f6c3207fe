#include <algorithm>
#include <deque>
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
  // Closing is the framework's decision, not the window system's.
  if (message == WM_CLOSE) return 0;
  return DefWindowProcW(window, message, wParam, lParam);
}

NOTIFYICONDATAA IconData() {
  NOTIFYICONDATAA data{};
  data.cbSize = sizeof data;  // the full layout of this build, whatever its size
  data.hWnd = mainWindow;
  data.uID = 0;
  return data;
}

}  // namespace

std::string ToAnsi(const std::string& utf8) {
  return platform::WideToAnsi(platform::Utf8ToWide(utf8), '?');
}

std::wstring ToWide(const std::string& utf8) {
  const std::u16string wide = platform::Utf8ToWide(utf8);
  return std::wstring(wide.begin(), wide.end());
}

bool CreateMainWindow(const std::string& titleUtf8, MainWindowEvents events) {
  if (mainWindow != nullptr) return true;
  INITCOMMONCONTROLSEX controls{.dwSize = sizeof controls, .dwICC = ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
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

void ShowWarningBox(const std::string& captionUtf8, const std::string& textUtf8,
                    std::function<void()> dismissed) {
  std::thread([caption = ToAnsi(captionUtf8), text = ToAnsi(textUtf8),
               dismissed = std::move(dismissed)] {
    MessageBoxA(nullptr, text.c_str(), caption.c_str(),
                MB_OK | MB_ICONEXCLAMATION | MB_SETFOREGROUND);
    PostTask(dismissed);
  }).detach();
}

bool NotifyIcon(bool add, unsigned iconId, const std::string& tipUtf8, uint32_t& error) {
  NOTIFYICONDATAA data = IconData();
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = kTrayMessage;
  data.hIcon = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(iconId),
                                             IMAGE_ICON, GetSystemMetrics(SM_CXSMICON),
                                             GetSystemMetrics(SM_CYSMICON), LR_SHARED));
  const std::string tip = ToAnsi(tipUtf8);
  tip.copy(data.szTip, sizeof data.szTip - 1);
  if (Shell_NotifyIconA(add ? NIM_ADD : NIM_MODIFY, &data)) return true;
  error = GetLastError();
  return false;
}

bool DeleteNotifyIcon() {
  NOTIFYICONDATAA data = IconData();
  return Shell_NotifyIconA(NIM_DELETE, &data) != FALSE;
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
