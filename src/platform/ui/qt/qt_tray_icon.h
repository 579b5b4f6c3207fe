#pragma once

#include "platform/ui/backend.h"

class QMenu;
class QSystemTrayIcon;

namespace ui::qt {

// The notification-area icon. Where a StatusNotifier host is registered (KDE Plasma, Xfce,
// waybar, GNOME's AppIndicator extension), Qt makes it a StatusNotifierItem: the panel draws
// the icon's menu from the one exported over dbusmenu and activates the icon on a left click.
// Otherwise it docks into the XEmbed tray, whose right-button press the program answers with
// its own pop-up menu.
class QtTrayIcon {
 public:
  bool Add(const TrayIcon& icon, DWORD& error);
  bool Modify(const TrayIcon& icon, DWORD& error);
  bool Delete();

 private:
  void Create(bool statusNotifier);
  void Apply(const TrayIcon& icon);
  UINT MouseMessageOf(int reason) const;

  QSystemTrayIcon* tray_ = nullptr;
  QMenu* exportedMenu_ = nullptr;
  const MenuTemplate* exportedItems_ = nullptr;  // the menu exportedMenu_ holds
  bool statusNotifier_ = false;
};

}  // namespace ui::qt
