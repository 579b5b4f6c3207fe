#include "app/tray_window.h"

#include <atomic>
#include <chrono>
#include <string_view>
#include <thread>

#include "base/utf8.h"
#include "desktop/price_history_dialog.h"
#include "desktop/settings_dialog.h"
#include "res/resource.h"
#include "res/shell_texts.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/check_status.h"
#include "worker/watch_worker.h"

namespace {

std::atomic<std::chrono::milliseconds> trayHostWait{kTrayHostWait};

// Copies UTF-8 text into a field of fixed size, cut between characters should it not fit.
template <size_t N>
void CopyWhole(std::string_view text, char (&field)[N]) {
  const std::string_view fitting = Utf8Prefix(text, N - 1);
  fitting.copy(field, fitting.size());
  field[fitting.size()] = '\0';
}

// The described menu, or with 価格の推移 while the prices are recorded.
UINT TrayMenu() {
  std::lock_guard lock(watchState.serviceMutex);
  return watchState.service.RecordsPrices() ? IDR_TRAY_MENU_HISTORY : IDR_TRAY_MENU;
}

}  // namespace

std::chrono::milliseconds SetTrayHostWaitForTesting(std::chrono::milliseconds wait) {
  return trayHostWait.exchange(wait);
}

CMainWnd::CMainWnd() : m_hIcon(AfxGetApp()->LoadIcon(IDR_MAINFRAME)) {}

const MessageMap* CMainWnd::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnCommand(ID_TRAY_OPEN_DIALOG, &CMainWnd::OnTrayOpenDialog),
      OnCommand(ID_TRAY_PRICE_HISTORY, &CMainWnd::OnTrayPriceHistory),
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
  SetTip(data);
  m_hNotifyWnd = m_hWnd;
  trayMenu_ = TrayMenu();
  ui::SetTrayMenu(trayMenu_);

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
  if (TrayMenu() != trayMenu_) ModifyIcon("");
  RegisterCheckStatusWindow(m_hWnd);
  StartWatchWorker();
}

void CMainWnd::SetTip(NOTIFYICONDATAA& data) const {
  const std::string tip = std::string(texts::kTrayTip) + (tipLine_.empty() ? "" : "\n" + tipLine_);
  CopyWhole(tip, data.szTip);
}

void CMainWnd::ShowCheckStatus() {
  const CheckStatus status = TakeCheckStatus();
  tipLine_ = status.tipLine;
  ModifyIcon(status.notice);
}

void CMainWnd::ModifyIcon(const std::string& notice) {
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hWnd;
  data.uID = 0;
  data.uFlags = NIF_TIP;
  SetTip(data);
  if (!notice.empty()) {
    data.uFlags |= NIF_INFO;
    CopyWhole(texts::kChecksFailing, data.szInfoTitle);
    CopyWhole(notice, data.szInfo);
  }
  trayMenu_ = TrayMenu();
  ui::SetTrayMenu(trayMenu_);
  Shell_NotifyIconA(NIM_MODIFY, &data);
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
    if (message == WM_CHECK_STATUS) ShowCheckStatus();
    // 終了, a close request from outside and the session's end all close the window.
    if (message == WM_CLOSE && settingsLoaded_) SaveSettings();
  }
  return CWnd::DefWindowProc(message, wParam, lParam);
}

void CMainWnd::ShowTrayMenu() {
  SetForegroundWindow();
  POINT cursor;
  GetCursorPos(&cursor);
  HMENU menu = LoadMenuA(trayMenu_);
  TrackPopupMenu(GetSubMenu(menu, 0), 0, cursor.x, cursor.y, 0, m_hWnd, nullptr);
  DestroyMenu(menu);
}

void CMainWnd::OnTrayOpenDialog() {
  if (watchState.settingsDialogOpen == 0) ShowSettingsDialog();
  SaveSettings();
}

void CMainWnd::OnTrayPriceHistory() {
  if (priceHistoryOpen_) return;  // one window is enough
  priceHistoryOpen_ = true;
  CPriceHistoryDialog dialog;
  dialog.DoModal();
  priceHistoryOpen_ = false;
}

void CMainWnd::OnTrayExit() {
  PostMessage(WM_CLOSE);  // whose processing saves the settings
}

void CMainWnd::PostNcDestroy() {
  RegisterCheckStatusWindow(nullptr);
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hNotifyWnd;
  data.uID = 0;
  data.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data);
  CWnd::PostNcDestroy();
}
