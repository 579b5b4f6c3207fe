#include "app/run_kobanu.h"

#include <cstdio>
#include <cstdlib>

#include "platform/ui/qt/qt_backend.h"
#include "platform/ui/win_app.h"

void RunKobanu(int& argc, char** argv) {
  ui::qt::InstallQtBackend(argc, argv);
  const int exitCode = AfxWinMain();
  // The worker is never stopped and may be anywhere: in its hourly sleep, in a fetch, waiting
  // on a message box. Leaving through quick_exit runs no static destructors, so nothing it may
  // touch is destroyed under it; the settings are already saved and the icon removed.
  std::fflush(nullptr);
  std::quick_exit(exitCode);
}
