#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <optional>
#include <thread>

#include "support/mall_keywords.h"
#include "support/standin_mall.h"
#include "support/temp_dir.h"
#include "ui/kobanu_under_x.h"
#include "ui/x_session.h"

// Kobanu itself under Xvfb with trayer, an XEmbed tray, as the tray host, driven with xdotool. With
// KOBANU_SCREENSHOT_DIR set, it leaves screenshots of what it saw there.
namespace {

using testing_support::Child;
using testing_support::GreyLevels;
using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WriteFile;
using testing_support::XSession;
using testing_support::XWindow;

using testing_support::kWatch;

class XvfbTrayTest : public testing_support::KobanuUnderX {
 protected:
  explicit XvfbTrayTest(bool withTrayHost = true) {
    if (withTrayHost) x_.StartTrayer();
  }

  void Start() {
    Launch();
    ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
  }

  // The docked icon: Kobanu's window inside the tray host's.
  std::optional<XWindow> Icon() {
    for (const XWindow& w : x_.Windows()) {
      if (w.wmClass.starts_with("kobanu") && w.parent != 0 && w.mapped && w.width <= 64) return w;
    }
    return std::nullopt;
  }
  std::optional<XWindow> Menu() {
    for (const XWindow& w : x_.Windows()) {
      if (w.mapped && w.parent == 0 && w.overrideRedirect && w.wmClass.starts_with("kobanu")) {
        return w;
      }
    }
    return std::nullopt;
  }
  bool MenuShown() { return Menu().has_value(); }
  void RightPressOnIcon() {
    // As a person would: not within the instant a window has just appeared.
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    const XWindow icon = *Icon();
    x_.XDoTool("mousemove " + std::to_string(icon.x + icon.width / 2) + " " +
               std::to_string(icon.y + icon.height / 2) + " mousedown 3");
    ASSERT_TRUE(WaitUntil([&] { return MenuShown(); })) << "no menu on the right-button press\n"
                                                        << Describe();
    x_.XDoTool("mouseup 3");
  }
  void OpenSettingsDialog() {
    RightPressOnIcon();
    x_.XDoTool("key Down Return");  // "ダイアログを開く"
    ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
  }
  void ChooseExit() {
    RightPressOnIcon();
    x_.XDoTool("key Up Return");  // the last item
    EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  }
  std::string Describe() {
    std::string text;
    for (const XWindow& w : x_.Windows()) {
      if (!w.wmClass.starts_with("kobanu")) continue;
      text += std::to_string(w.id) + " parent " + std::to_string(w.parent) + " at " +
              std::to_string(w.x) + "," + std::to_string(w.y) + " " + std::to_string(w.width) +
              "x" + std::to_string(w.height) + (w.mapped ? " mapped" : "") +
              (w.overrideRedirect ? " override" : "") + " " + w.type + " " + w.name + "\n";
    }
    return text;
  }
  // The program's own threads, the main one and the worker: those that Qt names after
  // themselves (QXcbEventQueue, QDBusConnection) come and go with the toolkit's needs.
  int OwnThreads() {
    const std::string process = "/proc/" + std::to_string(kobanu_.pid());
    const std::string name = ReadFile(process + "/comm");
    int n = 0;
    for (const auto& task : std::filesystem::directory_iterator(process + "/task")) {
      if (ReadFile((task.path() / "comm").string()) == name) ++n;
    }
    return n;
  }
  // The window's rectangle on the screen shows what the window painted, and that is not blank.
  void ExpectDrawnOnScreen(const XWindow& window, const std::string& what) {
    GreyLevels own, screen;
    const bool drawn = WaitUntil(
        [&] {
          own = x_.OwnImage(window);
          screen = x_.OnScreen(window);
          return own.spread > 0.05 && std::abs(own.mean - screen.mean) < 0.01 &&
                 std::abs(own.spread - screen.spread) < 0.01;
        },
        std::chrono::seconds(5));
    EXPECT_TRUE(drawn) << what << ": its own image has grey mean " << own.mean << " spread "
                       << own.spread << ", the screen there " << screen.mean << " spread "
                       << screen.spread;
  }
};

// Without a display, or with one that cannot be opened, start-up ends with one line on stderr
// and status 1, the service window's and the price history's too; Qt alone aborts with a core
// dump.
TEST(KobanuWithoutADisplay, EndsWithOneLineOnStderrAndStatusOne) {
  for (const std::string environment :
       {"-u DISPLAY -u WAYLAND_DISPLAY", "-u WAYLAND_DISPLAY DISPLAY=:65000",
        "-u DISPLAY WAYLAND_DISPLAY=nowhere"})
    for (const std::string option : {"", " --service-settings", " --price-history"}) {
      const std::string command = "env -u QT_QPA_PLATFORM " + environment +
                                  " timeout 30 " KOBANU_PROGRAM + option + " 2>&1 >/dev/null";
      FILE* output = popen(command.c_str(), "r");
      ASSERT_NE(output, nullptr);
      std::string stderrText;
      char buffer[256];
      while (const size_t n = std::fread(buffer, 1, sizeof buffer, output)) {
        stderrText.append(buffer, n);
      }
      const int status = pclose(output);
      EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1)
          << environment << option << ": " << status;
      EXPECT_EQ(std::count(stderrText.begin(), stderrText.end(), '\n'), 1) << stderrText;
      EXPECT_TRUE(stderrText.starts_with("kobanu: ")) << stderrText;
    }
}

TEST_F(XvfbTrayTest, MenuAndDialogsFromTheTrayIconThenExitWithTheSettingsSaved) {
  WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\nSCAN_PRICE=5000\r\n");
  Start();
  Shoot("tray");
  RightPressOnIcon();
  Shoot("tray_menu");
  x_.XDoTool("key Down Return");  // "ダイアログを開く"
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
  Shoot("settings_dialog");

  // The tray menu stays usable while the dialog is shown.
  RightPressOnIcon();
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !MenuShown(); }));

  // From OK along the tab order to "ヒットしたリストを見る", ticking the alert on the way.
  x_.XDoTool("key Tab Tab Tab Tab space Tab space");
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("ヒット結果"); }));
  EXPECT_EQ(x_.TransientFor(Find("_NET_WM_WINDOW_TYPE_DIALOG", "ヒット結果")->id),
            Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu  Ver 1.00")->id);
  Shoot("hit_list");
  // Tab goes from OK into the list and on out of it to OK, whose Space closes the list.
  x_.XDoTool("key Tab Down");
  Shoot("hit_list_focus");
  x_.XDoTool("key Tab space");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("ヒット結果"); }));
  // The focus is back on the button that opened the list.
  x_.XDoTool("key space");
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("ヒット結果"); })) << "the focus left the button";
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("ヒット結果"); }));
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));

  ChooseExit();
  EXPECT_EQ(Settings(), "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch +
                            "\r\nSCAN_PRICE=5000\r\nSCAN_ZAIKO=0\r\nSCAN_TIMESALE=0\r\n");
}

// The session's end (SIGTERM from systemd, SIGHUP from a closing terminal or login) ends Kobanu
// as 終了 does: what was just typed into the open dialog is saved.
TEST_F(XvfbTrayTest, TerminationSignalsEndItAsExitDoesWithTheOpenDialogsKeywordSaved) {
  for (const int signal : {SIGTERM, SIGHUP}) {
    WriteSettings("SCAN_KEYWORD=old\r\n");
    Start();
    OpenSettingsDialog();
    x_.XDoTool("key Tab ctrl+a type new");                        // from OK into the keyword box
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // as a person would pause
    ASSERT_EQ(kill(kobanu_.pid(), signal), 0);
    EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0) << signal;
    EXPECT_NE(Settings().find("SCAN_KEYWORD=new\r\n"), std::string::npos) << signal << Settings();
  }
}

// Started again from a launcher, Kobanu shows the running one's settings dialog, once, and the
// second start ends with status 0.
TEST_F(XvfbTrayTest, ASecondStartShowsTheRunningOnesDialog) {
  WriteSettings("SCAN_KEYWORD=" + kWatch + "\r\n");
  Start();
  for (int start = 0; start < 2; ++start) {
    Child second({program_.File("kobanu")}, x_.Env());
    EXPECT_EQ(second.WaitForExit(std::chrono::seconds(10)), 0);
  }
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
  Shoot("second_start");
  std::this_thread::sleep_for(std::chrono::milliseconds(500));
  int dialogs = 0;
  for (const XWindow& w : x_.Windows()) dialogs += w.mapped && w.name == "Kobanu  Ver 1.00";
  EXPECT_EQ(dialogs, 1);
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  ChooseExit();
}

TEST_F(XvfbTrayTest, ARestartedTrayHostGetsTheIconBackAndTheSettingsAreReadAgain) {
  WriteSettings("SCAN_KEYWORD=old\r\n");
  Start();
  // The worker starts just after the icon is added, so it may come after the icon docks.
  ASSERT_TRUE(WaitUntil([&] { return OwnThreads() == 2; })) << "no worker beside the main thread";
  WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=new\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=1\r\n");
  x_.StopTrayer();
  x_.StartTrayer();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon did not come back";
  EXPECT_FALSE(WaitUntil([&] { return OwnThreads() != 2; }, std::chrono::milliseconds(500)))
      << "a second worker";
  ChooseExit();
  EXPECT_EQ(Settings(),
            "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=new\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=1\r\n"
            "SCAN_TIMESALE=0\r\n");
}

TEST_F(XvfbTrayTest, TheWorkersAlertComesUpOnItsOwnAndExitDoesNotWaitForIt) {
  WriteSettings("SCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
  const auto alertShown = [&] { return Shown("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu"); };
  Start();
  ASSERT_TRUE(WaitUntil(alertShown));
  Shoot("worker_alert");
  ChooseExit();  // with the worker still waiting on its box
  EXPECT_NE(Settings().find("SCAN_FLAG=1"), std::string::npos);

  Start();
  ASSERT_TRUE(WaitUntil(alertShown));
  x_.XDoTool("key Return");
  ASSERT_TRUE(WaitUntil([&] { return Settings().find("SCAN_FLAG=0") != std::string::npos; }));
  ChooseExit();
}

TEST_F(XvfbTrayTest, AStoredBadPriceWarnsBeforeTheDialogShows) {
  WriteSettings("SCAN_PRICE=abc\r\n");
  Start();
  RightPressOnIcon();
  x_.XDoTool("key Down Return");
  ASSERT_TRUE(WaitUntil([&] { return Shown("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu"); }));
  Shoot("price_warning");
  x_.XDoTool("key Return");
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  ChooseExit();
}

TEST_F(XvfbTrayTest, APriceWarningAndAnEditsMenuOverTheDialogAreDrawnOnTheScreen) {
  WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
  Start();
  OpenSettingsDialog();
  x_.XDoTool("key Tab Tab Tab Tab Tab Tab minus");  // from OK to the price box
  ASSERT_TRUE(WaitUntil([&] { return Box().has_value(); }));
  ExpectDrawnOnScreen(*Box(), "the price warning");
  // It belongs to the dialog, so that no window manager raises the greyed dialog over it.
  const XWindow dialog = *Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu  Ver 1.00");
  EXPECT_EQ(x_.TransientFor(Box()->id), dialog.id);
  Shoot("price_warning_over_dialog");
  x_.XDoTool("key Return");
  ASSERT_TRUE(WaitUntil([&] { return !Box().has_value(); }));
  // The focus is back in the price box: "-5" gives the second warning without a click.
  x_.XDoTool("key 5");
  ASSERT_TRUE(WaitUntil([&] { return Box().has_value(); })) << "no warning for -5";
  x_.XDoTool("key Return");
  ASSERT_TRUE(WaitUntil([&] { return !Box().has_value(); }));

  // A right click into the keyword box (61,46 209x15 of the template's 317x217).
  x_.XDoTool("mousemove " + std::to_string(dialog.x + dialog.width * 150 / 317) + " " +
             std::to_string(dialog.y + dialog.height * 53 / 217) + " click 3");
  ASSERT_TRUE(WaitUntil([&] { return MenuShown(); }));
  ExpectDrawnOnScreen(*Menu(), "the keyword box's menu");
  Shoot("edit_menu");
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !MenuShown(); }));
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  ChooseExit();
  EXPECT_NE(Settings().find("SCAN_PRICE=-5\r\n"), std::string::npos) << Settings();
}

TEST_F(XvfbTrayTest, TheWorkersAlertOverTheDialogIsDrawnOnTheScreen) {
  WriteSettings("SCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
  mall_.ArmFault("mode=delay-headers&ms=8000");  // time to open the dialog first
  Start();
  OpenSettingsDialog();
  ASSERT_TRUE(WaitUntil([&] { return Box().has_value(); }, std::chrono::seconds(20)));
  ASSERT_TRUE(DialogShown("Kobanu  Ver 1.00"));
  ExpectDrawnOnScreen(*Box(), "the worker's alert");
  EXPECT_NE(x_.TransientFor(Box()->id), Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu  Ver 1.00")->id);
  Shoot("alert_over_dialog");
  x_.XDoTool("key Return");
  ASSERT_TRUE(WaitUntil([&] { return !Box().has_value(); }));
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  ChooseExit();
}

// At login the panel may come up after Kobanu.
class XvfbLateTrayTest : public XvfbTrayTest {
 protected:
  XvfbLateTrayTest() : XvfbTrayTest(false) {}
  bool BoxShown() { return Shown("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu"); }
};

TEST_F(XvfbLateTrayTest, ATrayHostThatAppearsAfterFiveSecondsGetsTheIconWithoutABox) {
  WriteSettings("SCAN_KEYWORD=" + kWatch + "\r\n");
  Launch();
  std::this_thread::sleep_for(std::chrono::seconds(5));
  EXPECT_FALSE(BoxShown());
  x_.StartTrayer();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
  Shoot("late_tray");
  EXPECT_FALSE(BoxShown());
  ChooseExit();
  EXPECT_NE(Settings().find("SCAN_KEYWORD=" + kWatch), std::string::npos);
}

TEST_F(XvfbLateTrayTest, NoTrayHostWithinTheWaitGivesTheBoxAndThenTheEnd) {
  WriteSettings("SCAN_KEYWORD=old\r\n");
  const auto start = std::chrono::steady_clock::now();
  Launch({"KOBANU_TEST_TRAY_WAIT_MS=2000"});
  ASSERT_TRUE(WaitUntil([&] { return BoxShown(); })) << "no box\n" << Describe();
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(2));
  Shoot("no_tray_box");
  x_.XDoTool("key Return");
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_EQ(Settings(), "[PARAM]\r\nSCAN_KEYWORD=old\r\n");  // never loaded, never saved
}

}  // namespace
