#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/watch_state.h"
#include "platform/ui/headless/headless_backend.h"
#include "support/settings_sandbox.h"

namespace testing_support {

using ui::headless::HeadlessBackend;
using ui::headless::HeadlessDialog;

// Settings in a sandbox and the dialogs' toggles at rest.
class DesktopStateTest : public ::testing::Test {
 protected:
  DesktopStateTest() {
    watchState.settingsDialogOpen = 0;
    watchState.settingsDialogPrimed = 0;
    watchState.hitListPrimed = 0;
    watchState.hitListFilled = 0;
    watchState.hitListSelectedRow = 0;
    watchState.hitListRows = 0;
  }

  SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

// The same on a fresh in-memory window system.
class DesktopTest : public DesktopStateTest {
 protected:
  HeadlessBackend& ui = ui::headless::InstallHeadlessBackend();
};

}  // namespace testing_support
