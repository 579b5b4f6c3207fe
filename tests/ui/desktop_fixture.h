#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "desktop/settings_dialog.h"
#include "res/program_resources.h"
#include "service/described/described_queries.h"
#include "service/router/service_requests.h"
#include "state/watch_state.h"
#include "support/headless_backend.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"

namespace testing_support {

using ui::headless::HeadlessBackend;
using ui::headless::HeadlessDialog;

// Settings in a sandbox, the dialogs' toggles at rest, and both services on the stand-in mall,
// which serves the whole test program.
class DesktopStateTest : public ::testing::Test {
 protected:
  DesktopStateTest() {
    service::SetServiceHostsForTesting({mall.host(), mall.host()});
    watchState.settingsDialogOpen = 0;
    watchState.settingsDialogPrimed = 0;
    watchState.hitListPrimed = 0;
    watchState.hitListFilled = 0;
    watchState.hitListSelectedRow = 0;
    watchState.hitListRows = 0;
  }

  static StandInMall& Mall() {
    static StandInMall& instance = *new StandInMall;
    return instance;
  }
  size_t Requests() { return mall.RequestLines().size(); }

  StandInMall& mall = Mall();
  SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

// The threads of this process; the worker is one of them once it runs.
inline int ThreadCount() {
  int count = 0;
  for (const auto& thread : std::filesystem::directory_iterator("/proc/self/task")) {
    (void)thread;
    ++count;
  }
  return count;
}

// The same on a fresh in-memory window system.
class DesktopTest : public DesktopStateTest {
 protected:
  DesktopTest() { RegisterResources(ProgramResources()); }
  HeadlessBackend& ui = ui::headless::InstallHeadlessBackend();
};

}  // namespace testing_support
