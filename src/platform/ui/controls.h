#pragma once

#include <string>

#include "platform/ui/wnd.h"

// Control objects, bound to a dialog's controls by DDX_Control. Texts are code page 932, except
// column headings, which are fixed UTF-8 texts.

class CButton : public CWnd {
 public:
  int GetCheck() { return static_cast<int>(SendMessage(BM_GETCHECK)); }
  // Raises no click notification.
  void SetCheck(int state) { SendMessage(BM_SETCHECK, static_cast<WPARAM>(state)); }
};

// SetWindowText raises EN_CHANGE, even when the text stays the same.
class CEdit : public CWnd {
 public:
  // 0 shows the text; any other character hides it, as an ES_PASSWORD edit does.
  void SetPasswordChar(char mask) {
    SendMessage(EM_SETPASSWORDCHAR, static_cast<unsigned char>(mask));
  }
};

struct LVCOLUMN {
  UINT mask = 0;
  int fmt = 0;
  int cx = 0;
  const char* pszText = nullptr;
  int cchTextMax = 0;
  int iSubItem = 0;
};

inline constexpr UINT LVIF_TEXT = 0x0001;

struct LVITEM {
  UINT mask = 0;
  int iItem = 0;
  int iSubItem = 0;
  UINT state = 0;
  UINT stateMask = 0;
  const char* pszText = nullptr;
};

// A list view in report view; an item shows at most 259 characters of each text it is given.
// UI thread.
class CListCtrl : public CWnd {
 public:
  int InsertColumn(int column, const LVCOLUMN* descriptor);  // its index, or -1
  int InsertItem(const LVITEM* item);                        // its index, or -1
  BOOL SetItemText(int item, int subItem, const char* text);
  DWORD GetExtendedStyle();
  DWORD SetExtendedStyle(DWORD style);  // the previous style
  // The next item after `start` (-1: from the top) with the flags' state; -1 when there is none.
  int GetNextItem(int start, UINT flags);
};
