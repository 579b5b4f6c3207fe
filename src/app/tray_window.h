#pragma once

#include <string>

#include "platform/ui/afxwin.h"
#include "worker/check_status.h"

// The tray icon's mouse events arrive as this message.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 1;

// The invisible main window: owns the tray icon and its menu.
class CMainWnd : public CWnd {
 public:
  CMainWnd();

  // Adds the icon (retrying every second while the tray times out), loads the settings and
  // starts the one worker. With no tray host yet it returns and waits for the host's arrival,
  // which comes as the taskbar-created message. A tray that refuses the icon gets a message and
  // the window closes.
  void RegisterTrayIcon();

  HWND m_hNotifyWnd = nullptr;  // kept apart: the window has no handle any more at removal
  HICON m_hIcon;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;
  const MessageMap* GetMessageMap() const override;

 private:
  void ShowTrayMenu();
  // The tip, and its notice if it has one, as the worker's checks with [SERVICE] left them; the
  // menu as the worker last read [SERVICE].
  void ShowCheckStatus(const worker::CheckStatus& status);
  // The tip, the menu, and the status's notice if it has one.
  void ModifyIcon(const worker::CheckStatus& status);
  void SetTip(NOTIFYICONDATAA& data) const;
  void OnTrayOpenDialog();
  void OnTrayPriceHistory();
  void OnTrayExit();

  // Once loaded, the settings are saved by every close of the window, whoever asks for it.
  bool settingsLoaded_ = false;
  bool refused_ = false;  // the tray refused the icon: the window closes, nothing registers again
  std::string tipLine_;   // the tip's second line; empty without [SERVICE]
  std::string noticeAddress_;  // the page the last notice opens; empty for none
  UINT trayMenu_ = 0;          // the menu the icon offers now
  bool priceHistoryOpen_ = false;
};
