#pragma once

#include <chrono>
#include <string>

#include "platform/ui/afxwin.h"

// The tray icon's mouse events arrive as this message.
inline constexpr UINT WM_TRAY_NOTIFY = WM_USER + 1;

// At login the panel often starts after the programs it hosts: how long the icon waits for a
// tray host before the program gives up.
inline constexpr std::chrono::milliseconds kTrayHostWait{30000};

// Tests shorten the wait; returns the wait it replaces.
std::chrono::milliseconds SetTrayHostWaitForTesting(std::chrono::milliseconds wait);

// The invisible main window: owns the tray icon and its menu.
class CMainWnd : public CWnd {
 public:
  CMainWnd();

  // Adds the icon (retrying every second while the tray times out, or while no tray host is
  // there for up to kTrayHostWait), loads the settings and starts the one worker. A tray that
  // still refuses the icon gets a message and the window closes.
  void RegisterTrayIcon();

  HWND m_hNotifyWnd = nullptr;  // kept apart: the window has no handle any more at removal
  HICON m_hIcon;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void PostNcDestroy() override;
  const MessageMap* GetMessageMap() const override;

 private:
  void ShowTrayMenu();
  // The tip, and a notice once, as the worker's checks with [SERVICE] left them; the menu as the
  // worker last read [SERVICE].
  void ShowCheckStatus();
  void ModifyIcon(const std::string& notice);
  void SetTip(NOTIFYICONDATAA& data) const;
  void OnTrayOpenDialog();
  void OnTrayPriceHistory();
  void OnTrayExit();

  // Once loaded, the settings are saved by every close of the window, whoever asks for it.
  bool settingsLoaded_ = false;
  std::string tipLine_;  // the tip's second line; empty without [SERVICE]
  UINT trayMenu_ = 0;    // the menu the icon offers now
  bool priceHistoryOpen_ = false;
};
