#include "platform/ui/controls.h"

#include "platform/ui/window_registry.h"

namespace {

// The dialog widgets behind a bound control, or nullptr when it has no window now.
ui::NativeDialog* Widgets(HWND control, int& controlId) {
  const ui::WindowEntry* entry = ui::FindWindowEntry(control);
  if (entry == nullptr || entry->dialog == nullptr || entry->controlId == 0) return nullptr;
  controlId = entry->controlId;
  return entry->dialog;
}

}  // namespace

int CListCtrl::InsertColumn(int column, const LVCOLUMN* descriptor) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  if (widgets == nullptr) return -1;
  const char* title =
      (descriptor->mask & LVCF_TEXT) && descriptor->pszText ? descriptor->pszText : "";
  const int width = (descriptor->mask & LVCF_WIDTH) ? descriptor->cx : 0;
  return widgets->InsertColumn(id, column, title, width) ? column : -1;
}

int CListCtrl::InsertItem(const LVITEM* item) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  if (widgets == nullptr) return -1;
  const char* text = (item->mask & LVIF_TEXT) && item->pszText ? item->pszText : "";
  return widgets->InsertItem(id, item->iItem, text);
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  return widgets != nullptr && widgets->SetItemText(id, item, subItem, text ? text : "");
}

DWORD CListCtrl::GetExtendedStyle() {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  return widgets != nullptr ? widgets->GetExtendedStyle(id) : 0;
}

DWORD CListCtrl::SetExtendedStyle(DWORD style) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  if (widgets == nullptr) return 0;
  const DWORD previous = widgets->GetExtendedStyle(id);
  widgets->SetExtendedStyle(id, style);
  return previous;
}

int CListCtrl::GetNextItem(int start, UINT flags) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  if (widgets == nullptr) return -1;
  const int count = widgets->ItemCount(id);
  for (int item = start + 1; item < count; ++item) {
    if (!(flags & LVNI_SELECTED) || widgets->IsItemSelected(id, item)) return item;
  }
  return -1;
}
