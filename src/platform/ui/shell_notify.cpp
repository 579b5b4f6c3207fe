#include "platform/ui/shell_notify.h"

#include <algorithm>

#include "platform/ui/backend.h"
#include "platform/ui/window_registry.h"

namespace {

thread_local DWORD lastError = 0;

// Where the icon's mouse events go. UI thread only.
HWND notifyWindow = nullptr;
UINT callbackMessage = 0;
UINT chosenMenu = 0;                        // 0: the resource table's
const MenuTemplate* offeredMenu = nullptr;  // with the icon in the tray, or waiting for one

}  // namespace

BOOL Shell_NotifyIconA(DWORD message, NOTIFYICONDATAA* data) {
  ui::Backend& backend = ui::CurrentBackend();
  if (message == NIM_DELETE) {
    notifyWindow = nullptr;
    chosenMenu = 0;
    offeredMenu = nullptr;
    return backend.DeleteTrayIcon() ? TRUE : FALSE;
  }
  // As the shell does, a modification changes only what its flags name.
  static ui::TrayIcon icon;  // UI thread only
  if (message == NIM_ADD) icon = {};
  if (data->uFlags & NIF_ICON) icon.icon = data->hIcon;
  if (data->uFlags & NIF_TIP) icon.tip = data->szTip;
  icon.menu = FindMenuTemplate(chosenMenu != 0 ? chosenMenu : Resources().trayMenu);
  const bool notice = (data->uFlags & NIF_INFO) != 0;
  icon.noticeTitle = notice ? data->szInfoTitle : "";
  icon.notice = notice ? data->szInfo : "";
  icon.noticeIcon =
      data->dwInfoFlags == NIIF_INFO ? ui::NoticeIcon::kInformation : ui::NoticeIcon::kWarning;
  DWORD error = 0;
  const bool done =
      message == NIM_ADD ? backend.AddTrayIcon(icon, error) : backend.ModifyTrayIcon(icon, error);
  if (!done) {
    lastError = error;
    // An icon waiting for its tray host: its window takes the program's own requests meanwhile.
    if (message == NIM_ADD && error == ERROR_NO_TRAY_HOST) {
      notifyWindow = data->hWnd;
      offeredMenu = icon.menu;
    }
    return FALSE;
  }
  notifyWindow = data->hWnd;
  offeredMenu = icon.menu;
  if (message == NIM_ADD || (data->uFlags & NIF_MESSAGE)) {
    callbackMessage = (data->uFlags & NIF_MESSAGE) ? data->uCallbackMessage : 0;
  }
  return TRUE;
}

DWORD GetLastError() { return lastError; }

namespace ui {

void DeliverTrayMouseEvent(UINT mouseMessage) {
  if (callbackMessage != 0) PostMessageA(notifyWindow, callbackMessage, 0, mouseMessage);
}

void SetTrayMenu(UINT menuId) { chosenMenu = menuId; }

void DeliverTrayMenuCommand(UINT command) {
  if (notifyWindow == nullptr || offeredMenu == nullptr) return;
  if (std::ranges::any_of(offeredMenu->items, [&](const MenuItemTemplate& item) {
        return item.command != 0 && item.command == command;
      })) {
    PostMessageA(notifyWindow, WM_COMMAND, command, 0);
  }
}

void DeliverTaskbarCreated() {
  const UINT message = RegisterWindowMessageA("TaskbarCreated");
  for (const HWND window : TopLevelWindows()) PostMessageA(window, message, 0, 0);
}

}  // namespace ui
