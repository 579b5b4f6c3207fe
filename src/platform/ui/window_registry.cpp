#include "platform/ui/window_registry.h"

#include <map>

#include "base/no_destructor.h"

namespace ui {

namespace {

// Never destroyed: window objects of static lifetime may outlive any order of destruction.
NoDestructor<std::map<HWND, WindowEntry>> windows;
uintptr_t lastHandle = 0x10000;

LRESULT ControlProc(const WindowEntry& control, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case BM_GETCHECK:
      return control.dialog->GetCheck(control.controlId);
    case BM_SETCHECK:
      control.dialog->SetCheck(control.controlId, static_cast<int>(wParam));
      return 0;
    case WM_SETTEXT:
      control.dialog->SetText(control.controlId, reinterpret_cast<const char*>(lParam));
      return TRUE;
    case EM_SETPASSWORDCHAR:
      control.dialog->SetPasswordChar(control.controlId, static_cast<char>(wParam));
      return 0;
    default:
      return 0;
  }
}

}  // namespace

HWND RegisterWindow(const WindowEntry& entry) {
  lastHandle += 4;
  const HWND handle = reinterpret_cast<HWND>(lastHandle);
  (*windows)[handle] = entry;
  if (entry.object != nullptr) entry.object->m_hWnd = handle;
  return handle;
}

WindowEntry* FindWindowEntry(HWND window) {
  const auto found = windows->find(window);
  return found == windows->end() ? nullptr : &found->second;
}

void UnregisterWindow(HWND window) {
  const auto found = windows->find(window);
  if (found == windows->end()) return;
  if (found->second.object != nullptr) found->second.object->m_hWnd = nullptr;
  windows->erase(found);
}

void UnregisterChildren(HWND parent) {
  for (auto it = windows->begin(); it != windows->end();) {
    if (it->second.parent != parent) {
      ++it;
      continue;
    }
    if (it->second.object != nullptr) it->second.object->m_hWnd = nullptr;
    it = windows->erase(it);
  }
}

HWND FindControl(HWND dialog, int controlId) {
  for (const auto& [handle, entry] : *windows) {
    if (entry.parent == dialog && entry.controlId == controlId) return handle;
  }
  return nullptr;
}

void AttachObject(HWND window, CWnd& object) {
  WindowEntry* entry = FindWindowEntry(window);
  if (entry == nullptr || entry->object == &object) return;
  if (entry->object != nullptr) entry->object->m_hWnd = nullptr;
  if (WindowEntry* old = FindWindowEntry(object.m_hWnd)) old->object = nullptr;
  entry->object = &object;
  object.m_hWnd = window;
}

std::vector<HWND> TopLevelWindows() {
  std::vector<HWND> result;
  for (const auto& [handle, entry] : *windows) {
    if (entry.parent == nullptr && entry.dialog == nullptr) result.push_back(handle);
  }
  return result;
}

LRESULT DispatchOnUiThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  const WindowEntry* entry = FindWindowEntry(window);
  if (entry == nullptr) return 0;
  if (entry->controlId != 0) return ControlProc(*entry, message, wParam, lParam);
  if (entry->object == nullptr) return 0;
  return entry->object->WindowProc(message, wParam, lParam);
}

}  // namespace ui
