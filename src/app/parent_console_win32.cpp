#include <windows.h>

#include <cstdio>

#include "app/parent_console.h"

void UseParentConsole() {
  if (GetStdHandle(STD_ERROR_HANDLE) != nullptr) return;  // redirected: already somewhere
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
}
