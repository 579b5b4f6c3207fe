#include <algorithm>
#include <vector>

#include "base/no_destructor.h"
#include "platform/ui/win32/win32_api.h"
#include "platform/ui/win32/win32_windows.h"

namespace ui::win32 {

namespace {

NoDestructor<std::vector<HWND>> openDialogs;

HWND Handle(void* window) { return static_cast<HWND>(window); }

// Whether the dialog template leaves the position to the program (x and y both 0).
bool TemplateAtOrigin(unsigned templateId) {
  const HMODULE module = GetModuleHandleW(nullptr);
  const HRSRC resource = FindResourceW(module, MAKEINTRESOURCEW(templateId), MAKEINTRESOURCEW(5));
  const HGLOBAL loaded = resource != nullptr ? LoadResource(module, resource) : nullptr;
  const auto* words = static_cast<const WORD*>(loaded != nullptr ? LockResource(loaded) : nullptr);
  if (words == nullptr) return false;
  // DLGTEMPLATEEX (signature 0xFFFF) has x at word 9, DLGTEMPLATE at word 5; y follows.
  const size_t x = words[1] == 0xFFFF ? 9 : 5;
  return words[x] == 0 && words[x + 1] == 0;
}

// As the framework centres such a dialog: on its owner while the owner is shown, otherwise on
// the work area of the owner's monitor, and never past the edges of that work area.
void Centre(HWND window, HWND owner) {
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(owner != nullptr ? owner : window, MONITOR_DEFAULTTONEAREST),
                  &monitor);
  const RECT area = monitor.rcWork;
  RECT around = area;
  if (owner != nullptr && IsWindowVisible(owner) && !IsIconic(owner)) GetWindowRect(owner, &around);
  RECT self{};
  GetWindowRect(window, &self);
  const int width = self.right - self.left;
  const int height = self.bottom - self.top;
  const int x = std::max<int>(
      area.left, std::min<int>((around.left + around.right - width) / 2, area.right - width));
  const int y = std::max<int>(
      area.top, std::min<int>((around.top + around.bottom - height) / 2, area.bottom - height));
  SetWindowPos(window, nullptr, x, y, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

// Hands the notifications the framework's message maps know to the dialog's events.
INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    return TRUE;  // the dialog manager gives the first tab stop the focus
  }
  auto* events = reinterpret_cast<DialogWindow::Events*>(GetWindowLongPtrW(window, DWLP_USER));
  if (events == nullptr) return FALSE;
  switch (message) {
    case WM_COMMAND: {
      const unsigned code = HIWORD(wParam);
      if (code == BN_CLICKED || code == EN_CHANGE) events->notify(LOWORD(wParam), code);
      return TRUE;
    }
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->code == static_cast<UINT>(NM_DBLCLK)) {
        events->notify(static_cast<int>(header->idFrom), header->code);
      }
      return FALSE;
    }
    case WM_DRAWITEM: {
      ControlCanvas canvas(reinterpret_cast<void*>(lParam));
      events->draw(static_cast<int>(wParam), canvas);
      return TRUE;
    }
    case WM_CLOSE:
      events->closeRequest();
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

ControlCanvas::ControlCanvas(void* drawItem) {
  const auto* item = static_cast<const DRAWITEMSTRUCT*>(drawItem);
  screen_ = item->hDC;
  control_ = item->hwndItem;
  width_ = item->rcItem.right - item->rcItem.left;
  height_ = item->rcItem.bottom - item->rcItem.top;
  const HDC memory = CreateCompatibleDC(item->hDC);
  memory_ = memory;
  bitmap_ = CreateCompatibleBitmap(item->hDC, width_, height_);
  oldBitmap_ = SelectObject(memory, static_cast<HBITMAP>(bitmap_));
  // The dialog's font, which the dialog manager gave every control.
  oldFont_ =
      SelectObject(memory, reinterpret_cast<HFONT>(SendMessageW(item->hwndItem, WM_GETFONT, 0, 0)));
  SetBkMode(memory, TRANSPARENT);
}

ControlCanvas::~ControlCanvas() {
  const auto memory = static_cast<HDC>(memory_);
  BitBlt(static_cast<HDC>(screen_), 0, 0, width_, height_, memory, 0, 0, SRCCOPY);
  SelectObject(memory, static_cast<HGDIOBJ>(oldFont_));
  SelectObject(memory, static_cast<HGDIOBJ>(oldBitmap_));
  DeleteObject(static_cast<HBITMAP>(bitmap_));
  DeleteDC(memory);
}

int ControlCanvas::Dpi() const { return static_cast<int>(GetDpiForWindow(Handle(control_))); }

void ControlCanvas::FillRect(int left, int top, int right, int bottom, uint32_t color) {
  const RECT rect{left, top, right, bottom};
  SetDCBrushColor(static_cast<HDC>(memory_), color);
  ::FillRect(static_cast<HDC>(memory_), &rect, static_cast<HBRUSH>(GetStockObject(DC_BRUSH)));
}

void ControlCanvas::Line(int x1, int y1, int x2, int y2, int width, uint32_t color) {
  const auto memory = static_cast<HDC>(memory_);
  const HPEN pen = CreatePen(PS_SOLID, width, color);
  const HGDIOBJ old = SelectObject(memory, pen);
  MoveToEx(memory, x1, y1, nullptr);
  LineTo(memory, x2, y2);
  SelectObject(memory, old);
  DeleteObject(pen);
}

void ControlCanvas::Text(int left, int top, int right, int bottom, const std::string& textUtf8,
                         unsigned format, uint32_t color) {
  RECT box{left, top, right, bottom};
  std::wstring text = ToWide(textUtf8);
  SetTextColor(static_cast<HDC>(memory_), color);
  DrawTextW(static_cast<HDC>(memory_), text.data(), static_cast<int>(text.size()), &box,
            format | DT_SINGLELINE | DT_NOPREFIX);
}

void ControlCanvas::TextSize(const std::string& textUtf8, int& cx, int& cy) {
  const std::wstring text = ToWide(textUtf8);
  SIZE size{};
  GetTextExtentPoint32W(static_cast<HDC>(memory_), text.c_str(), static_cast<int>(text.size()),
                        &size);
  cx = size.cx;
  cy = size.cy;
}

HWND TopDialog() { return openDialogs->empty() ? nullptr : openDialogs->back(); }

bool IsOurDialog(HWND window) {
  return window != nullptr &&
         std::find(openDialogs->begin(), openDialogs->end(), window) != openDialogs->end();
}

DialogWindow::DialogWindow(unsigned templateId, Events events) : events_(std::move(events)) {
  // Owned as the framework's modal dialogs are: the first by the hidden main window, each
  // further one by the dialog it opens over. Owned windows get no taskbar buttons of their own
  // and always stay above their owners.
  const HWND owner = TopDialog() != nullptr ? TopDialog() : MainWindow();
  const HWND window = CreateDialogParamW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(templateId),
                                         owner, DialogProc, reinterpret_cast<LPARAM>(&events_));
  window_ = window;
  if (window == nullptr) return;
  openDialogs->push_back(window);
  if (TemplateAtOrigin(templateId)) Centre(window, owner);
}

DialogWindow::~DialogWindow() {
  if (window_ == nullptr) return;
  openDialogs->erase(std::find(openDialogs->begin(), openDialogs->end(), Handle(window_)));
  DestroyWindow(Handle(window_));
}

void DialogWindow::Show() {
  ShowWindow(Handle(window_), SW_SHOW);
  SetForegroundWindow(Handle(window_));
}

void DialogWindow::SetEnabled(bool enabled) {
  EnableWindow(Handle(window_), enabled);
  // As when a modal child ends, the owner becomes the active window again.
  if (enabled) SetForegroundWindow(Handle(window_));
}

intptr_t DialogWindow::SendToControl(int controlId, unsigned message, uintptr_t wParam,
                                     intptr_t lParam) {
  return SendDlgItemMessageA(Handle(window_), controlId, message, wParam, lParam);
}

std::string DialogWindow::Text(int controlId) {
  const HWND control = GetDlgItem(Handle(window_), controlId);
  std::string text(static_cast<size_t>(GetWindowTextLengthA(control)) + 1, '\0');
  text.resize(
      static_cast<size_t>(GetWindowTextA(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

void DialogWindow::SetText(int controlId, const std::string& text) {
  SetDlgItemTextA(Handle(window_), controlId, text.c_str());
}

bool DialogWindow::EnableControl(int controlId, bool enabled) {
  const HWND control = GetDlgItem(Handle(window_), controlId);
  // A disabled control keeps the focus, and the keyboard then reaches nothing: it moves on first,
  // as Tab would move it.
  if (!enabled && GetFocus() == control) SendMessageW(Handle(window_), WM_NEXTDLGCTL, 0, FALSE);
  return EnableWindow(control, enabled) != FALSE;
}

void DialogWindow::Invalidate(int controlId) {
  InvalidateRect(GetDlgItem(Handle(window_), controlId), nullptr, FALSE);
}

void DialogWindow::SetTextMasked(int controlId, bool masked) {
  // Common Controls 6 masks with a black circle.
  constexpr WPARAM kMask = 0x25CF;
  SendDlgItemMessageW(Handle(window_), controlId, EM_SETPASSWORDCHAR, masked ? kMask : 0, 0);
  InvalidateRect(GetDlgItem(Handle(window_), controlId), nullptr, TRUE);
}

bool DialogWindow::InsertColumn(int controlId, int column, const std::string& titleUtf8,
                                int width) {
  std::wstring title = ToWide(titleUtf8);
  LVCOLUMNW descriptor{};
  descriptor.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
  descriptor.cx = MulDiv(width, static_cast<int>(GetDpiForWindow(Handle(window_))), 96);
  descriptor.pszText = title.data();
  descriptor.iSubItem = column;
  return SendDlgItemMessageW(Handle(window_), controlId, LVM_INSERTCOLUMNW,
                             static_cast<WPARAM>(column),
                             reinterpret_cast<LPARAM>(&descriptor)) >= 0;
}

int DialogWindow::InsertItem(int controlId, int position, const std::string& text) {
  std::string copy = text;
  LVITEMA item{};
  item.mask = LVIF_TEXT;
  item.iItem = position;
  item.pszText = copy.data();
  return static_cast<int>(SendDlgItemMessageA(Handle(window_), controlId, LVM_INSERTITEMA, 0,
                                              reinterpret_cast<LPARAM>(&item)));
}

bool DialogWindow::SetItemText(int controlId, int item, int subItem, const std::string& text) {
  std::string copy = text;
  LVITEMA descriptor{};
  descriptor.iSubItem = subItem;
  descriptor.pszText = copy.data();
  return SendDlgItemMessageA(Handle(window_), controlId, LVM_SETITEMTEXTA,
                             static_cast<WPARAM>(item),
                             reinterpret_cast<LPARAM>(&descriptor)) != FALSE;
}

uint32_t DialogWindow::ExtendedStyle(int controlId) {
  return static_cast<uint32_t>(
      SendDlgItemMessageW(Handle(window_), controlId, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0));
}

void DialogWindow::SetExtendedStyle(int controlId, uint32_t style) {
  SendDlgItemMessageW(Handle(window_), controlId, LVM_SETEXTENDEDLISTVIEWSTYLE, 0, style);
}

bool DialogWindow::IsItemSelected(int controlId, int item) {
  return SendDlgItemMessageW(Handle(window_), controlId, LVM_GETITEMSTATE,
                             static_cast<WPARAM>(item), LVIS_SELECTED) != 0;
}

int DialogWindow::ItemCount(int controlId) {
  return static_cast<int>(SendDlgItemMessageW(Handle(window_), controlId, LVM_GETITEMCOUNT, 0, 0));
}

}  // namespace ui::win32
