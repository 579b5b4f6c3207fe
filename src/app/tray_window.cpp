#include "app/tray_window.h"

#include <atomic>
#include <chrono>
#include <cstring>
#include <thread>

#include "res/resource.h"
#include "res/shell_texts.h"
#include "settings/settings_dialog.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/watch_worker.h"

namespace {

std::atomic<std::chrono::milliseconds> trayHostWait{kTrayHostWait};

}  // namespace

void SetTrayHostWaitForTesting(std::chrono::milliseconds wait) { trayHostWait = wait; }

CMainWnd::CMainWnd() : m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

const MessageMap* CMainWnd::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnCommand(ID_TRAY_OPEN_DIALOG, &CMainWnd::OnTrayOpenDialog),
      OnCommand(ID_TRAY_EXIT, &CMainWnd::OnTrayExit),
  };
  static const MessageMap map{nullptr, entries};
  return &map;
}

void CMainWnd::RegisterTrayIcon() {
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hWnd;
  data.uID = 0;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_TRAY_NOTIFY;
  data.hIcon = m_hIcon;
  std::strncpy(data.szTip, texts::kTrayTip, sizeof data.szTip - 1);
  m_hNotifyWnd = m_hWnd;

  BOOL added = Shell_NotifyIconA(NIM_ADD, &data);
  const auto giveUp = std::chrono::steady_clock::now() + trayHostWait.load();
  while (!added) {
    if (GetLastError() == ERROR_TIMEOUT) {
      if (Shell_NotifyIconA(NIM_MODIFY, &data)) break;
    } else if (std::chrono::steady_clock::now() >= giveUp) {
      AfxMessageBox(texts::kTrayIconFailed);
      SendMessage(WM_CLOSE);
      return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    added = Shell_NotifyIconA(NIM_ADD, &data);
  }
  LoadSettings();
  settingsLoaded_ = true;
  StartWatchWorker();
}

LRESULT CMainWnd::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CREATE) {
    watchState.taskbarCreatedMessage = RegisterWindowMessageA("TaskbarCreated");
  } else {
    if (message == WM_TRAY_NOTIFY && lParam == WM_RBUTTONDOWN) ShowTrayMenu();
    // Where the tray host activates icons (StatusNotifier panels, on a left click), the icon
    // opens the dialog as ダイアログを開く does.
    if (message == WM_TRAY_NOTIFY && lParam == NIN_SELECT)
      PostMessage(WM_COMMAND, ID_TRAY_OPEN_DIALOG);
    if (message == watchState.taskbarCreatedMessage) RegisterTrayIcon();
    // 終了, a close request from outside and the session's end all close the window.
    if (message == WM_CLOSE && settingsLoaded_) SaveSettings();
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

void CMainWnd::ShowTrayMenu() {
  SetForegroundWindow();
  POINT cursor;
  GetCursorPos(&cursor);
  HMENU menu = LoadMenuA(IDR_TRAY_MENU);
  TrackPopupMenu(GetSubMenu(menu, 0), 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
}

void CMainWnd::OnTrayOpenDialog() {
  if (watchState.settingsDialogOpen == 0) ShowSettingsDialog();
  SaveSettings();
}

void CMainWnd::OnTrayExit() {
  PostMessage(WM_CLOSE);  // whose processing saves the settings
}

void CMainWnd::PostNcDestroy() {
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hNotifyWnd;
  data.uID = 0;
  data.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data);
  CWnd::PostNcDestroy();
}
