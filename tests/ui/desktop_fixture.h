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

// A fresh in-memory window system, settings in a sandbox and the dialogs' toggles at rest.
class DesktopTest : public ::testing::Test {
 protected:
  DesktopTest() : ui(ui::headless::InstallHeadlessBackend()) {
    watchState.settingsDialogOpen = 0;
    watchState.settingsDialogPrimed = 0;
    watchState.hitListPrimed = 0;
    watchState.hitListFilled = 0;
    watchState.hitListSelectedRow = 0;
    watchState.hitListRows = 0;
  }

  HeadlessBackend& ui;
  SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

}  // namespace testing_support
