#pragma once

#include <vector>

#include "platform/ui/backend.h"
#include "platform/ui/wnd.h"

// The framework's table of live windows: handle to object. UI thread only.
namespace ui {

struct WindowEntry {
  CWnd* object = nullptr;          // the CWnd attached to the handle, if any
  NativeDialog* dialog = nullptr;  // the widgets of a dialog, for the dialog and its controls
  HWND parent = nullptr;           // a control's dialog
  int controlId = 0;
};

HWND RegisterWindow(const WindowEntry& entry);
WindowEntry* FindWindowEntry(HWND window);
// Removes the handle; the attached object's m_hWnd becomes null.
void UnregisterWindow(HWND window);
// Removes a dialog's controls and unbinds their objects.
void UnregisterChildren(HWND parent);
HWND FindControl(HWND dialog, int controlId);
void AttachObject(HWND window, CWnd& object);
// Every window without a parent that is not a dialog, for broadcasts.
std::vector<HWND> TopLevelWindows();

LRESULT DispatchOnUiThread(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

}  // namespace ui
