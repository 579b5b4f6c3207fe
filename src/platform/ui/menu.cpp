#include "platform/ui/menu.h"

#include "platform/ui/backend.h"
#include "platform/ui/wnd.h"

// A loaded menu resource: the menu bar and its one pop-up.
struct HMENU__ {
  const MenuTemplate* menu;
  HMENU__* popup;
};

HMENU LoadMenuA(UINT menuId) {
  const MenuTemplate* menu = FindMenuTemplate(menuId);
  if (menu == nullptr) return nullptr;
  return new HMENU__{menu, new HMENU__{menu, nullptr}};
}

HMENU GetSubMenu(HMENU menu, int position) {
  return menu != nullptr && position == 0 ? menu->popup : nullptr;
}

BOOL TrackPopupMenu(HMENU popup, UINT, int x, int y, int, HWND owner, const void*) {
  if (popup == nullptr) return FALSE;
  const UINT command = ui::CurrentBackend().TrackPopupMenu(*popup->menu, {x, y});
  if (command != 0) PostMessageA(owner, WM_COMMAND, command, 0);
  return TRUE;
}

BOOL DestroyMenu(HMENU menu) {
  if (menu == nullptr) return FALSE;
  delete menu->popup;
  delete menu;
  return TRUE;
}

BOOL GetCursorPos(POINT* point) {
  *point = ui::CurrentBackend().CursorPos();
  return TRUE;
}
