#pragma once

#include "platform/ui/win_types.h"

// Menu resources and pop-up menu tracking. UI thread.

HMENU LoadMenuA(UINT menuId);  // nullptr when there is no such resource
HMENU GetSubMenu(HMENU menu, int position);
// Shows the pop-up at x, y until an item is chosen or the menu is dismissed; the chosen item's
// command then reaches owner as a posted WM_COMMAND.
BOOL TrackPopupMenu(HMENU popup, UINT flags, int x, int y, int reserved, HWND owner,
                    const void* rect);
BOOL DestroyMenu(HMENU menu);
BOOL GetCursorPos(POINT* point);
