#pragma once

// The other system headers need windows.h before them.
#include <windows.h>

#include <commctrl.h>
#include <shellapi.h>

#include <string>

// Shared by the Win32 side of the backend; never included where the framework's headers are.
namespace ui::win32 {

std::wstring ToWide(const std::string& utf8);  // a fixed text for a wide function

HWND MainWindow();

// One of the dialogs shown now, whose keyboard navigation the message loop runs.
bool IsOurDialog(HWND window);
// The innermost dialog that exists now, or null.
HWND TopDialog();

}  // namespace ui::win32
