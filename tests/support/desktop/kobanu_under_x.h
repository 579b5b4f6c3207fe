#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <string>
#include <vector>

#include "support/desktop/x_session.h"
#include "support/standin_mall.h"
#include "support/standin_mall/service_keys.h"
#include "support/temp_dir.h"

namespace testing_support {

// Kobanu itself (KOBANU_PROGRAM, with both services on a stand-in mall) on an Xvfb screen with a
// session bus of its own. The settings file lies beside the executable, so each test runs its
// own copy. With KOBANU_SCREENSHOT_DIR set, Shoot leaves screenshots of the screen there.
class KobanuUnderX : public ::testing::Test {
 protected:
  KobanuUnderX() { std::filesystem::copy_file(KOBANU_PROGRAM, program_.File("kobanu")); }

  void WriteSettings(const std::string& lines) {
    WriteFile(program_.File("setting.ini"), "[PARAM]\r\n" + lines);
  }
  std::string Settings() { return ReadFile(program_.File("setting.ini")); }
  // A [SERVICE] section for the stand-in's application, with more lines after the id, the key
  // and the stand-in's address.
  std::string TodaysService(const std::string& more = "") {
    return std::string("[SERVICE]\r\nAPPLICATION_ID=") + standin::kApplicationId +
           "\r\nACCESS_KEY=" + standin::kAccessKey +
           "\r\nENDPOINT=" + mall_.Url(standin::kSearchPath20260701) + "\r\n" + more;
  }

  // In the environment of a launch: the pages Kobanu opens go to a stand-in browser (an xdg-open
  // first on the PATH), which notes each address on a line of Opened().
  std::string StandInBrowser() {
    WriteFile(browser_.File("xdg-open"),
              "#!/bin/sh\necho \"$1\" >>'" + browser_.File("opened") + "'\n");
    std::filesystem::permissions(browser_.File("xdg-open"), std::filesystem::perms::owner_all);
    return "PATH=" + browser_.path() + ":" + std::getenv("PATH");
  }
  std::string Opened() {
    return std::filesystem::exists(browser_.File("opened")) ? ReadFile(browser_.File("opened"))
                                                            : "";
  }

  void Launch(const std::vector<std::string>& moreEnv = {}) {
    std::vector<std::string> env = x_.Env();
    env.insert(env.end(), moreEnv.begin(), moreEnv.end());
    LaunchWith({}, env);
  }
  // As Launch, started through prefix with arguments, in env alone.
  void LaunchWith(const std::vector<std::string>& prefix, std::vector<std::string> env,
                  const std::vector<std::string>& arguments = {}) {
    std::vector<std::string> argv = prefix;
    argv.push_back(program_.File("kobanu"));
    argv.insert(argv.end(), arguments.begin(), arguments.end());
    env.push_back("KOBANU_TEST_MALL_HOST=" + mall_.host());
    kobanu_ = Child(argv, env);
  }

  // Kobanu's top-level windows on the X screen (in a window manager's frame, if there is one).
  std::optional<XWindow> Find(const std::string& type, const std::string& name = "") {
    for (const XWindow& w : x_.Windows()) {
      if (w.mapped && w.wmClass.starts_with("kobanu") && w.type == type &&
          (name.empty() || w.name == name)) {
        return w;
      }
    }
    return std::nullopt;
  }
  bool Shown(const std::string& type, const std::string& name = "") {
    return Find(type, name).has_value();
  }
  bool DialogShown(const std::string& caption) {
    return Shown("_NET_WM_WINDOW_TYPE_DIALOG", caption);
  }
  std::optional<XWindow> Box() { return Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu"); }
  // The icon docked in an XEmbed tray: Kobanu's window inside the tray's.
  std::optional<XWindow> Icon() {
    for (const XWindow& w : x_.Windows()) {
      if (w.wmClass.starts_with("kobanu") && w.parent != 0 && w.mapped && w.width <= 64) return w;
    }
    return std::nullopt;
  }

  // The screen's resolution for the programs started from now on, as a desktop sets it.
  void SetDpi(int dpi) {
    Child xprop({"xprop", "-root", "-f", "RESOURCE_MANAGER", "8s", "-set", "RESOURCE_MANAGER",
                 "Xft.dpi:\t" + std::to_string(dpi) + "\n"},
                x_.Env());
    ASSERT_EQ(xprop.WaitForExit(std::chrono::seconds(5)), 0);
  }

  void Shoot(const std::string& name) {
    if (const char* dir = std::getenv("KOBANU_SCREENSHOT_DIR")) {
      x_.Screenshot(std::string(dir) + "/" + name + ".png");
    }
  }

  StandInMall mall_;
  TempDir program_;
  XSession x_;
  Child kobanu_;
  TempDir browser_;
};

}  // namespace testing_support
