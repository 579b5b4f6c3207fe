#include <cstdio>
#include <cstdlib>

#include "app/kobanu_app.h"
#include "platform/ui/qt/qt_backend.h"

// The one application object, built before main with the settings dialog and the state.
CKobanuApp theApp;

int main(int argc, char** argv) {
  ui::qt::InstallQtBackend(argc, argv);
  const int exitCode = AfxWinMain();
  // The worker is never stopped and may be anywhere: in its hourly sleep, in a fetch, waiting
  // on a message box. Leaving through quick_exit runs no static destructors, so nothing it may
  // touch is destroyed under it; the settings are already saved and the icon removed.
  std::fflush(nullptr);
  std::quick_exit(exitCode);
}
