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

// A list view shows at most 259 characters of an item's text; giving the widget more would
// only cost time and memory (a 30 MiB name froze the window for half a minute). In code page
// 932 a lead byte and the byte after it are one character.
constexpr size_t kMaxShownCharacters = 259;

std::string Shown(const char* text) {
  size_t length = 0;
  for (size_t characters = 0; characters < kMaxShownCharacters && text[length] != '\0';
       ++characters) {
    const auto b = static_cast<unsigned char>(text[length]);
    const bool lead = (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC);
    length += lead && text[length + 1] != '\0' ? 2 : 1;
  }
  return std::string(text, length);
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
  return widgets->InsertItem(id, item->iItem, Shown(text));
}

BOOL CListCtrl::SetItemText(int item, int subItem, const char* text) {
  int id = 0;
  ui::NativeDialog* widgets = Widgets(m_hWnd, id);
  return widgets != nullptr && widgets->SetItemText(id, item, subItem, Shown(text ? text : ""));
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
