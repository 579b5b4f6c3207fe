#include "app/run_kobanu.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ui/desktop_backend.h"
#include "platform/ui/win_app.h"
#include "res/program_resources.h"

void RunKobanu(int& argc, char** argv) {
  RegisterResources(ProgramResources());
  ui::InstallDesktopBackend(argc, argv);
  const int exitCode = AfxWinMain();
  // The worker is never stopped and may be anywhere: in its hourly sleep, in a fetch, waiting
  // on a message box. Leaving through _Exit runs no static destructors, so nothing it may
  // touch is destroyed under it; the settings are already saved and the icon removed.
  std::fflush(nullptr);
  std::_Exit(exitCode);
}
