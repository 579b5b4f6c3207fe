#include "app/tray_window.h"

#include <chrono>
#include <string_view>
#include <thread>

#include "base/utf8.h"
#include "desktop/price_history_dialog.h"
#include "desktop/settings_dialog.h"
#include "platform/ui/shell_open.h"
#include "res/resource.h"
#include "res/shell_texts.h"
#include "res/texts.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/check_status.h"
#include "worker/watch_worker.h"

namespace {

// Copies UTF-8 text into a field of fixed size, cut between characters should it not fit.
template <size_t N>
void CopyWhole(std::string_view text, char (&field)[N]) {
  const std::string_view fitting = Utf8Prefix(text, N - 1);
  fitting.copy(field, fitting.size());
  field[fitting.size()] = '\0';
}

// The described menu, or with 価格の推移 while the prices are recorded.
UINT TrayMenu() {
  return SnapshotService().RecordsPrices() ? IDR_TRAY_MENU_HISTORY : IDR_TRAY_MENU;
}

}  // namespace

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
  // The tray's arrival may come while the box of a refusal is open.
  if (refused_) return;
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
  while (!added && GetLastError() == ERROR_TIMEOUT) {
    if (Shell_NotifyIconA(NIM_MODIFY, &data)) {
      added = TRUE;
      break;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(1000));
    added = Shell_NotifyIconA(NIM_ADD, &data);
  }
  // No tray host yet (a panel that starts after Kobanu): its arrival registers the icon.
  if (!added && GetLastError() == ERROR_NO_TRAY_HOST) return;
  if (!added) {
    refused_ = true;
    AfxMessageBox(texts::kTrayIconFailed);
    SendMessage(WM_CLOSE);
    return;
  }
  // Read again at every registration, as after the taskbar's re-creation, but never under the
  // open dialog: closing it saves what it holds, which would otherwise be lost.
  if (watchState.settingsDialogOpen == 0) LoadSettings();
  settingsLoaded_ = true;
  if (TrayMenu() != trayMenu_) ModifyIcon({});
  worker::RegisterCheckStatusWindow(m_hWnd);
  worker::StartWatchWorker();
}

void CMainWnd::SetTip(NOTIFYICONDATAA& data) const {
  const std::string tip = std::string(texts::kTrayTip) + (tipLine_.empty() ? "" : "\n" + tipLine_);
  CopyWhole(tip, data.szTip);
}

void CMainWnd::ShowCheckStatus(const worker::CheckStatus& status) {
  tipLine_ = status.tipLine;
  ModifyIcon(status);
}

void CMainWnd::ModifyIcon(const worker::CheckStatus& status) {
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hWnd;
  data.uID = 0;
  data.uFlags = NIF_TIP;
  SetTip(data);
  if (!status.notice.empty()) {
    const bool match = status.noticeKind == worker::CheckStatus::Notice::kMatch;
    data.uFlags |= NIF_INFO;
    data.dwInfoFlags = match ? NIIF_INFO : NIIF_WARNING;
    CopyWhole(match ? texts::kConditionMet : texts::kChecksFailing, data.szInfoTitle);
    CopyWhole(status.notice, data.szInfo);
    noticeAddress_ = status.noticeAddress;
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
    // The notice of a match opens the item's page, as a row of the hit list does; a web address
    // alone reaches the browser, as it came from the network.
    if (message == WM_TRAY_NOTIFY && lParam == NIN_BALLOONUSERCLICK) {
      platform::OpenWebAddress(noticeAddress_);
    }
    if (message == watchState.taskbarCreatedMessage) RegisterTrayIcon();
    if (message == WM_CHECK_STATUS && lParam != 0) {
      ShowCheckStatus(*reinterpret_cast<const worker::CheckStatus*>(lParam));
    }
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
  // A second start while Kobanu still waits for a tray opens the dialog on the file's settings.
  if (!settingsLoaded_) {
    LoadSettings();
    settingsLoaded_ = true;
  }
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
  worker::RegisterCheckStatusWindow(nullptr);
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = m_hNotifyWnd;
  data.uID = 0;
  data.uFlags = 0;
  Shell_NotifyIconA(NIM_DELETE, &data);
  CWnd::PostNcDestroy();
}
