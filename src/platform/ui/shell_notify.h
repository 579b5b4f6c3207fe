#pragma once

#include "platform/ui/win_types.h"

// The notification-area icon. Its mouse events reach hWnd as posted uCallbackMessage messages
// with the mouse message (WM_RBUTTONDOWN ...) in lParam.
struct NOTIFYICONDATAA {
  DWORD cbSize = 0;
  HWND hWnd = nullptr;
  UINT uID = 0;
  UINT uFlags = 0;
  UINT uCallbackMessage = 0;
  HICON hIcon = 0;
  char szTip[128] = {};       // UTF-8
  char szInfo[1024] = {};     // a notification shown once, UTF-8 (NIF_INFO); 256 UTF-16 units
                              // reach the screen
  char szInfoTitle[64] = {};  // its title
  DWORD dwInfoFlags = 0;      // its icon: NIIF_WARNING, NIIF_INFO
};

inline constexpr DWORD NIM_ADD = 0;
inline constexpr DWORD NIM_MODIFY = 1;
inline constexpr DWORD NIM_DELETE = 2;
inline constexpr UINT NIF_MESSAGE = 1;
inline constexpr UINT NIF_ICON = 2;
inline constexpr UINT NIF_TIP = 4;
inline constexpr UINT NIF_INFO = 0x10;
inline constexpr DWORD NIIF_INFO = 1;
inline constexpr DWORD NIIF_WARNING = 2;

// The user clicked the notice (the balloon, or the desktop notification's default action).
inline constexpr UINT NIN_BALLOONUSERCLICK = WM_USER + 5;

inline constexpr DWORD ERROR_TIMEOUT = 1460;
inline constexpr DWORD ERROR_NO_TRAY_HOST = 1400;  // the error of a tray that is not there

// UI thread. On failure GetLastError tells why.
BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data);
DWORD GetLastError();

namespace ui {
// The menu resource that the icon offers from the next NIM_ADD or NIM_MODIFY on, to a tray host
// that draws its icons' menus itself; only its items' commands pass DeliverTrayMenuCommand. The
// resource table's trayMenu until the program names another, and again once the icon is deleted.
// UI thread.
void SetTrayMenu(UINT menuId);
}  // namespace ui
