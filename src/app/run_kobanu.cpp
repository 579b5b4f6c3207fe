#include "app/run_kobanu.h"

#include <cstdio>
#include <cstdlib>
#include <variant>

#include "app/command_line.h"
#include "app/parent_console.h"
#include "app/window_alone.h"
#include "platform/ui/desktop_backend.h"
#include "platform/ui/instance_lock.h"
#include "platform/ui/instance_requests.h"
#include "platform/ui/win_app.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "settings/settings_home.h"

namespace {

[[noreturn]] void End(int exitCode) {
  std::fflush(nullptr);
  std::_Exit(exitCode);
}

}  // namespace

void RunKobanu(int& argc, char** argv) {
  // Options and a second instance end here, before the window system is touched.
#ifdef _WIN32
  if (argc > 1) UseParentConsole();  // only the options print
#endif
  const auto options = RunCommandLine(argc, argv);
#ifdef _WIN32
  ReleaseParentConsole();  // the program itself never holds it
#endif
  if (const int* exitCode = std::get_if<int>(&options)) End(*exitCode);
  settings::DecideSettingsPath();
  // These windows run beside the tray Kobanu, without its lock: the service window writes only
  // [SERVICE], which that one reads again before each check; the chart only reads.
  if (const StartMode mode = std::get<StartMode>(options); mode != StartMode::kTray) {
    End(RunWindowAlone(argc, argv, mode));
  }
  switch (ui::ClaimInstanceLock(settings::SettingsPath())) {
    case ui::InstanceClaim::kHeld:
      break;
    case ui::InstanceClaim::kHeldElsewhere:
      std::fprintf(stderr, "kobanu: already running with %s\n", settings::SettingsPath().c_str());
      // Started again from a launcher, Kobanu shows the running one's dialog.
      ui::SendInstanceRequest(ui::InstanceLockName(settings::SettingsPath()), ID_TRAY_OPEN_DIALOG);
      End(0);
    case ui::InstanceClaim::kNoLock:
      // Without a lock a second watcher could run on the same file unseen: none starts.
      std::fprintf(stderr, "kobanu: no private folder for the lock that keeps one Kobanu on %s\n",
                   settings::SettingsPath().c_str());
      End(1);
  }
  RegisterResources(ProgramResources());
  ui::InstallDesktopBackend(argc, argv);
  ui::ServeInstanceRequests(ui::InstanceLockName(settings::SettingsPath()));
  const int exitCode = AfxWinMain();
  ui::ReleaseInstanceLock();
  // The worker is never stopped and may be anywhere: in its hourly sleep, in a fetch, waiting
  // on a message box. Leaving through _Exit runs no static destructors, so nothing it may
  // touch is destroyed under it; the settings are already saved and the icon removed.
  End(exitCode);
}
