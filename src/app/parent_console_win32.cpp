#include "app/parent_console.h"

#include <windows.h>

#include <cstdio>

namespace {

bool attached = false;
bool redirected = false;    // the standard error goes to a file or a pipe
UINT previousCodePage = 0;  // the console's own, while we print in UTF-8

}  // namespace

void UseParentConsole() {
  redirected = GetStdHandle(STD_ERROR_HANDLE) != nullptr;
  if (redirected) return;  // already somewhere
  if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
  attached = true;
  std::freopen("CONOUT$", "w", stdout);
  std::freopen("CONOUT$", "w", stderr);
  previousCodePage = GetConsoleOutputCP();
  SetConsoleOutputCP(CP_UTF8);
}

void ReleaseParentConsole() {
  if (!attached) return;
  std::fflush(nullptr);
  SetConsoleOutputCP(previousCodePage);
  FreeConsole();
  attached = false;
}

void ShowWhereNoConsole(const std::string& text) {
  if (attached || redirected) return;
  MessageBoxA(nullptr, text.c_str(), "Kobanu", MB_OK | MB_ICONWARNING);
}
