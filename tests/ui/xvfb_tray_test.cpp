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

#include "support/desktop/kobanu_under_x.h"
#include "support/desktop/x_session.h"
#include "support/mall_keywords.h"
#include "support/standin_mall.h"
#include "support/temp_dir.h"

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

using testing_support::kSmartWatch;
using testing_support::kWatch;
using testing_support::kWatchAlone;

class XvfbTrayTest : public testing_support::KobanuUnderX {
 protected:
  explicit XvfbTrayTest(bool withTrayHost = true) {
    if (withTrayHost) x_.StartTrayer();
  }

  void Start() {
    Launch();
    ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
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
  // The window carries the program's icon (_NET_WM_ICON), pixel for pixel as the tray shows it
  // at 16 by 16.
  void ExpectTheProgramsIcon(const XWindow& window, const std::string& what) {
    const std::vector<uint32_t> icon = x_.CardinalsOf(window.id, "_NET_WM_ICON");
    std::vector<uint32_t> sixteen;  // each image: width, height, then its ARGB pixels
    for (size_t at = 0; at + 2 <= icon.size(); at += 2 + size_t{icon[at]} * icon[at + 1]) {
      if (icon[at] == 16 && icon[at + 1] == 16 && at + 2 + 256 <= icon.size())
        sixteen.assign(icon.begin() + at + 2, icon.begin() + at + 2 + 256);
    }
    ASSERT_EQ(sixteen.size(), 256u) << what << ": no 16-pixel icon";
    FILE* png = popen("convert '" KOBANU_ICON_16 "' -depth 8 rgba:-", "r");
    ASSERT_NE(png, nullptr);
    unsigned char rgba[1024];
    const size_t read = std::fread(rgba, 1, sizeof rgba, png);
    pclose(png);
    ASSERT_EQ(read, sizeof rgba);
    // The file has 16 bits a channel, which Qt and ImageMagick round to 8 each its own way, and
    // Qt goes through premultiplied alpha on the way: each may differ by what that rounds.
    for (size_t i = 0; i < 256; ++i) {
      const double alpha = rgba[4 * i + 3];
      ASSERT_NEAR(sixteen[i] >> 24, alpha, 1) << what << ": pixel " << i;
      for (const int channel : {0, 1, 2}) {
        const int shown = (sixteen[i] >> (16 - 8 * channel)) & 0xFF;
        ASSERT_NEAR(shown * alpha / 255, rgba[4 * i + channel] * alpha / 255, 2)
            << what << ": pixel " << i;
      }
    }
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

// Under the window managers of Xfce and Plasma a click on the greyed dialog leaves the price
// warning on top of it with the focus: Return answers it. The dialog comes from a second start,
// as on a panel without a menu; so opened, KWin kept the focus where Qt put it on the click, on
// the dialog.
TEST_F(XvfbTrayTest, UnderAWindowManagerABoxStaysOnTopOfItsDialogWithTheFocus) {
  const std::vector<std::vector<std::string>> windowManagers = {
      {"xfwm4", "--compositor=off"},
      {"kwin_x11", "--replace"},
  };
  std::vector<std::string> env = x_.Env();
  env.push_back("NO_AT_BRIDGE=1");
  env.push_back("KWIN_COMPOSE=N");  // no OpenGL under Xvfb: focus is the same without it
  for (const std::vector<std::string>& command : windowManagers) {
    SCOPED_TRACE(command[0]);
    if (std::system(("command -v " + command[0] + " >/dev/null").c_str()) != 0) {
      ADD_FAILURE() << command[0] << " is not installed (scripts/bootstrap)";
      continue;
    }
    const std::vector<uint32_t> before = x_.CardinalsOf(0, "_NET_SUPPORTING_WM_CHECK");
    Child wm(command, env);
    // KWin asks the session bus for its services before it manages a window.
    ASSERT_TRUE(WaitUntil(
        [&] {
          const std::vector<uint32_t> now = x_.CardinalsOf(0, "_NET_SUPPORTING_WM_CHECK");
          return !now.empty() && now != before;
        },
        std::chrono::seconds(30)))
        << command[0] << " did not come up";
    WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
    Start();
    Child second({program_.File("kobanu")}, x_.Env());  // opens the running one's dialog
    ASSERT_EQ(second.WaitForExit(std::chrono::seconds(10)), 0);
    ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
    const XWindow dialog = *Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu  Ver 1.00");
    x_.XDoTool("key Tab Tab Tab Tab Tab Tab minus");  // from OK to the price box
    ASSERT_TRUE(WaitUntil([&] { return Box().has_value(); }));
    const uint32_t box = Box()->id;
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // as a person would pause
    x_.XDoTool("mousemove " + std::to_string(dialog.x + 20) + " " + std::to_string(dialog.y + 20) +
               " click 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Shoot(command[0] + "_box_after_a_click_on_the_dialog");
    const std::vector<uint32_t> active = x_.CardinalsOf(0, "_NET_ACTIVE_WINDOW");
    EXPECT_TRUE(!active.empty() && active[0] == box) << "the box lost the focus";
    const std::vector<uint32_t> stacking = x_.CardinalsOf(0, "_NET_CLIENT_LIST_STACKING");
    EXPECT_GT(std::find(stacking.begin(), stacking.end(), box),
              std::find(stacking.begin(), stacking.end(), dialog.id))
        << "the box is below its dialog";
    x_.XDoTool("key Return");
    ASSERT_TRUE(WaitUntil([&] { return !Box().has_value(); })) << "Return did not reach the box";
    x_.XDoTool("key BackSpace Escape");
    ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
    ChooseExit();
  }
}

// A tray that restarts while the dialog is open registers the icon again, but reads nothing over
// what the dialog holds: the keyword typed before the restart is the one saved.
TEST_F(XvfbTrayTest, ATrayRestartWhileTheDialogIsOpenKeepsWhatWasTyped) {
  WriteSettings("SCAN_KEYWORD=old\r\n");
  Start();
  OpenSettingsDialog();
  x_.XDoTool("key Tab ctrl+a type new");  // from OK into the keyword box
  x_.StopTrayer();
  x_.StartTrayer();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon did not come back";
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // the registration's own moment
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  ChooseExit();
  EXPECT_NE(Settings().find("SCAN_KEYWORD=new\r\n"), std::string::npos) << Settings();
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

// On an XEmbed tray Qt draws the notice itself, as a balloon by the icon: at an alert it names
// the cheapest match beside the box, and a click on it opens the item's page.
TEST_F(XvfbTrayTest, AnAlertsBalloonNamesTheCheapestMatchAndItsClickOpensItsPage) {
  WriteSettings("SCAN_FLAG=1\r\nSCAN_KEYWORD=" + kSmartWatch + "\r\nSCAN_PRICE=10000\r\n" +
                TodaysService(kWatchAlone));
  Launch({StandInBrowser()});
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
  const auto balloon = [&] { return Find("_NET_WM_WINDOW_TYPE_TOOLTIP"); };
  ASSERT_TRUE(WaitUntil([&] { return balloon() && Box(); })) << Describe();
  Shoot("match_balloon_and_box");
  const XWindow shown = *balloon();
  x_.XDoTool("mousemove " + std::to_string(shown.x + shown.width / 2) + " " +
             std::to_string(shown.y + shown.height / 2) + " click 1");
  ASSERT_TRUE(WaitUntil([&] { return !Opened().empty(); }));
  EXPECT_EQ(Opened(), "http://" + mall_.host() + "/item/smartgear:50000002\n");
  x_.XDoTool("key Return");  // the box's OK
  ASSERT_TRUE(WaitUntil([&] { return !Box(); }));
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
  // It belongs to the dialog and is modal to it, so that no window manager raises the greyed
  // dialog over it or gives that the focus. Both carry the program's icon.
  const XWindow dialog = *Find("_NET_WM_WINDOW_TYPE_DIALOG", "Kobanu  Ver 1.00");
  EXPECT_EQ(x_.TransientFor(Box()->id), dialog.id);
  const std::vector<std::string> state = x_.AtomsOf(Box()->id, "_NET_WM_STATE");
  EXPECT_NE(std::find(state.begin(), state.end(), "_NET_WM_STATE_MODAL"), state.end());
  ExpectTheProgramsIcon(dialog, "the dialog");
  ExpectTheProgramsIcon(*Box(), "the price warning");
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

// With no tray at all Kobanu keeps running without a box, says so once through the desktop's
// notification service, and a second start opens its dialog. A tray that comes then gets the
// icon; a close request before that ends it with the file as it was.
TEST_F(XvfbLateTrayTest, WithNoTrayItRunsWithoutABoxSaysSoOnceAndASecondStartOpensTheDialog) {
  WriteSettings("SCAN_KEYWORD=old\r\n");
  Launch({"KOBANU_TEST_TRAY_WAIT_MS=60000"});
  std::this_thread::sleep_for(std::chrono::seconds(1));
  ASSERT_EQ(kill(kobanu_.pid(), SIGTERM), 0);
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_EQ(Settings(), "[PARAM]\r\nSCAN_KEYWORD=old\r\n");  // never loaded, never saved

  testing_support::BusMonitor notices(x_.bus().address(), "org.freedesktop.Notifications",
                                      "Notify");
  Launch({"KOBANU_TEST_TRAY_WAIT_MS=2000"});
  ASSERT_TRUE(WaitUntil([&] { return notices.Count() == 1; })) << "no notice";
  EXPECT_NE(notices.Log().find("通知領域が使えるようになると"), std::string::npos) << notices.Log();
  EXPECT_FALSE(BoxShown());
  EXPECT_TRUE(kobanu_.Running());
  Child second({program_.File("kobanu")}, x_.Env());
  EXPECT_EQ(second.WaitForExit(std::chrono::seconds(10)), 0);
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("Kobanu  Ver 1.00"); }));
  Shoot("no_tray_second_start");
  x_.XDoTool("key Tab ctrl+a type new");  // from OK into the keyword box
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("Kobanu  Ver 1.00"); }));
  x_.StartTrayer();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
  ASSERT_TRUE(WaitUntil([&] { return OwnThreads() == 2; })) << "no worker beside the main thread";
  EXPECT_EQ(notices.Count(), 1);
  ChooseExit();
  EXPECT_NE(Settings().find("SCAN_KEYWORD=new\r\n"), std::string::npos) << Settings();
}

}  // namespace
