#pragma once

#include "platform/ui/win_types.h"

// The application's message box: caption the application name, the warning icon, one OK
// button; text is a fixed UTF-8 text. Callable from any thread; it returns IDOK once the user
// has dismissed the box. On the UI thread it runs a nested loop meanwhile; another thread just
// waits while the UI thread shows the box.
int AfxMessageBox(const char* text);
