#pragma once

#include <chrono>

#include "platform/ui/backend.h"

class QSystemTrayIcon;
class QTimer;

namespace ui::qt {

class DesktopNotice;
class StatusNotifierItem;

// How long the icon may go without a tray host before the program says that it runs without one.
inline constexpr std::chrono::milliseconds kTrayHostWait{30000};

// Tests shorten the wait; returns the wait it replaces.
std::chrono::milliseconds SetTrayHostWaitForTesting(std::chrono::milliseconds wait);

// The notification-area icon, in whichever tray is there at each add: where a StatusNotifier host
// is registered (KDE Plasma, Xfce, waybar, GNOME's AppIndicator extension) a StatusNotifierItem
// of the program's own, whose menu the panel draws; otherwise in the XEmbed tray through Qt,
// whose right-button press the program answers with its own pop-up menu. An add moves the icon
// from one to the other as the panels come and go.
class QtTrayIcon {
 public:
  bool Add(const TrayIcon& icon, DWORD& error);
  bool Modify(const TrayIcon& icon, DWORD& error);
  bool Delete();

 private:
  enum class Tray { kNone, kStatusNotifier, kXEmbed };

  bool AddToStatusNotifierHost(const TrayIcon& icon);
  void AddToXEmbedTray(const TrayIcon& icon);
  void Leave();
  void ApplyToXEmbedIcon(const TrayIcon& icon);
  void ShowNotice(const TrayIcon& icon);
  DesktopNotice& Notices();
  void SayWhenNoTrayComes();

  Tray tray_ = Tray::kNone;
  StatusNotifierItem* item_ = nullptr;
  // Made only for the XEmbed tray: Qt settles at its first icon, once per process, whether its
  // icons are StatusNotifierItems, and makes them so when a host is registered at that moment.
  QSystemTrayIcon* xembedIcon_ = nullptr;
  DesktopNotice* notices_ = nullptr;
  QTimer* noTrayNotice_ = nullptr;
  bool noTrayNoticeSaid_ = false;
};

}  // namespace ui::qt
