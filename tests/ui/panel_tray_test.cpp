#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "support/desktop/kobanu_under_x.h"
#include "support/desktop/x_session.h"
#include "support/mall_keywords.h"
#include "support/temp_dir.h"

// Kobanu on the tray hosts of today's desktops, StatusNotifier hosts that draw the icon's menu
// themselves from the one it exports over dbusmenu: a stand-in watcher on a private session bus,
// xfce4-panel's status tray under Xvfb, and waybar under sway. Sway runs on its X11 backend,
// nested in Xvfb: its headless backend gives the seat no pointer, so no click could reach
// waybar. With KOBANU_SCREENSHOT_DIR set, screenshots of the screen are left there.
namespace {

using nlohmann::json;
using testing_support::Child;
using testing_support::TempDir;
using testing_support::WaitUntil;
using testing_support::WriteFile;
using testing_support::XWindow;

using testing_support::kSmartWatch;
using testing_support::kWatch;
using testing_support::kWatchAlone;

const std::string kWatcher = "org.kde.StatusNotifierWatcher";
const std::string kNotices = "org.freedesktop.Notifications";
const std::string kSettingsCaption = "Kobanu  Ver 1.00";

bool Installed(const std::string& program) {
  return std::system(("command -v " + program + " >/dev/null").c_str()) == 0;
}

// What a command prints on stdout; nothing when it fails.
std::optional<std::string> Output(const std::string& command) {
  FILE* pipe = popen((command + " 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return std::nullopt;
  std::string text;
  char buffer[4096];
  while (const size_t n = std::fread(buffer, 1, sizeof buffer, pipe)) text.append(buffer, n);
  if (pclose(pipe) != 0) return std::nullopt;
  return text;
}

std::string Joined(const std::vector<std::string>& words) {
  std::string line;
  for (const std::string& word : words) line += word + " ";
  return line;
}

class PanelTrayTest : public testing_support::KobanuUnderX {
 protected:
  PanelTrayTest() { WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\n"); }

  // busctl on the bus the tray is on, its answer in JSON; null when the call fails.
  json Bus(const std::string& arguments) {
    const auto text = Output(Joined(prefix_) + "busctl --address='" + busAddress_ +
                             "' --json=short " + arguments);
    return text ? json::parse(*text, nullptr, false) : json();
  }
  json WatcherProperty(const std::string& name) {
    return Bus("get-property " + kWatcher + " /StatusNotifierWatcher " + kWatcher + " " + name);
  }
  // Kobanu's item, as the watcher lists it; empty until it has registered.
  std::string ItemBusName() {
    const json items = WatcherProperty("RegisteredStatusNotifierItems");
    if (!items.is_object() || items["data"].empty()) return "";
    const std::string item = items["data"][0];
    return item.substr(0, item.find('/'));
  }
  bool ItemRegistered() { return !ItemBusName().empty(); }
  json ItemProperty(const std::string& name) {
    return Bus("get-property " + ItemBusName() +
               " /StatusNotifierItem org.kde.StatusNotifierItem " + name)["data"];
  }
  // The exported menu's entries: (id, label), "-" for a separator.
  std::vector<std::pair<int, std::string>> MenuEntries() {
    const json layout =
        Bus("call " + ItemBusName() + " " + ItemProperty("Menu").get<std::string>() +
            " com.canonical.dbusmenu GetLayout iias 0 -- -1 0");
    std::vector<std::pair<int, std::string>> entries;
    for (const json& child : layout["data"][1][2]) {
      const json& properties = child["data"][1];
      entries.emplace_back(child["data"][0],
                           properties.contains("label") ? properties["label"]["data"] : "-");
    }
    return entries;
  }
  // As a panel does when its drawing of the menu is clicked.
  void Click(const std::string& label) {
    for (const auto& [id, text] : MenuEntries()) {
      if (text != label) continue;
      Bus("call " + ItemBusName() + " " + ItemProperty("Menu").get<std::string>() +
          " com.canonical.dbusmenu Event isvu " + std::to_string(id) + " clicked s '' 0");
      return;
    }
    ADD_FAILURE() << "no menu entry " << label;
  }
  void Activate() {
    Bus("call " + ItemBusName() +
        " /StatusNotifierItem org.kde.StatusNotifierItem Activate ii 0 0");
  }
  bool BoxShown() { return Box().has_value(); }
  // Kobanu started before any panel, up and on the bus, waiting for one.
  void StartKobanuFirst(const std::vector<std::string>& env) {
    LaunchWith(prefix_, env);
    ASSERT_TRUE(WaitUntil([&] {
      const json names = Bus("list");
      return names.is_array() && std::any_of(names.begin(), names.end(), [&](const json& name) {
               return name["pid"].is_number() && name["pid"] == kobanu_.pid();
             });
    }));
    std::this_thread::sleep_for(std::chrono::seconds(1));  // the panel comes a second later
  }
  void ExpectEndedWithTheKeywordSaved() {
    EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
    EXPECT_NE(Settings().find("SCAN_KEYWORD=" + kWatch + "\r\nSCAN_PRICE="), std::string::npos)
        << Settings();
  }

  std::vector<std::string> prefix_;  // how the programs on the tray's bus are started
  std::string busAddress_ = x_.bus().address();
};

// In both orders, the panel's watcher first or Kobanu first: the item registers with no box, its
// menu is exported with its three entries and each works, and a left click (the panel's
// Activate) opens nothing.
TEST_F(PanelTrayTest, TheMenuIsExportedWithItsThreeEntriesEachWorksAndALeftClickOpensNothing) {
  for (const bool kobanuFirst : {false, true}) {
    SCOPED_TRACE(kobanuFirst ? "Kobanu first" : "the watcher first");
    WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
    Child watcher;
    if (kobanuFirst) StartKobanuFirst(x_.Env());
    watcher = Child({KOBANU_SNI_WATCHER, "--host-after-ms", "0"}, x_.Env());
    if (!kobanuFirst) Launch();
    ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
    EXPECT_FALSE(BoxShown());
    EXPECT_EQ(ItemProperty("ItemIsMenu"), false);
    EXPECT_EQ(ItemProperty("ToolTip")[2], "Kobanuアプリ");
    std::vector<std::string> labels;
    for (const auto& entry : MenuEntries()) labels.push_back(entry.second);
    EXPECT_EQ(labels, (std::vector<std::string>{"ダイアログを開く", "-", "終了"}));
    // No XEmbed icon beside it, and no window of its own for a menu.
    const std::vector<XWindow> windows = x_.Windows();
    EXPECT_TRUE(std::none_of(windows.begin(), windows.end(), [](const XWindow& w) {
      return w.mapped && w.wmClass.starts_with("kobanu");
    }));

    Activate();
    EXPECT_FALSE(WaitUntil([&] { return DialogShown(kSettingsCaption); }, std::chrono::seconds(1)))
        << "a left click opened the dialog";
    Click("ダイアログを開く");
    ASSERT_TRUE(WaitUntil([&] { return DialogShown(kSettingsCaption); }));
    x_.XDoTool("key Tab Tab Tab Tab space Escape");  // ticks the alert, then closes
    ASSERT_TRUE(WaitUntil([&] { return !DialogShown(kSettingsCaption); }));
    Click("終了");
    ExpectEndedWithTheKeywordSaved();
    EXPECT_NE(Settings().find("SCAN_FLAG=1"), std::string::npos) << Settings();
  }
}

// While prices are recorded the exported menu has 価格の推移 after ダイアログを開く, and the
// panel's click on it opens the chart: the item registers with the described menu, which changes
// once the settings are read.
TEST_F(PanelTrayTest, WhilePricesAreRecordedTheExportedMenuOffersTheChart) {
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0"}, x_.Env());
  ASSERT_TRUE(
      WaitUntil([&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
  WriteSettings(
      "SCAN_FLAG=0\r\n[SERVICE]\r\nAPPLICATION_ID=a\r\nACCESS_KEY=pk_k\r\n"
      "ENDPOINT=http://127.0.0.1:9/\r\nPRICE_HISTORY=1\r\n");
  testing_support::BusMonitor layouts(busAddress_, "com.canonical.dbusmenu", "LayoutUpdated",
                                      prefix_);
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
  const auto labels = [&] {
    std::vector<std::string> found;
    for (const auto& entry : MenuEntries()) found.push_back(entry.second);
    return found;
  };
  const std::vector<std::string> recording = {"ダイアログを開く", "価格の推移", "-", "終了"};
  EXPECT_TRUE(WaitUntil([&] { return labels() == recording; })) << Joined(labels());
  // A panel that keeps the menu it read hears that it changed.
  EXPECT_TRUE(WaitUntil([&] { return layouts.Count() == 1; })) << layouts.Log();
  Click("価格の推移");
  ASSERT_TRUE(WaitUntil([&] { return DialogShown("価格の推移"); }));
  x_.XDoTool("key Escape");
  ASSERT_TRUE(WaitUntil([&] { return !DialogShown("価格の推移"); }));
  Click("終了");
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
}

// With [SERVICE] the panel's tip tells the last check; checks that keep failing bring one
// notification, through the desktop's notification service, naming the cause and the fix.
TEST_F(PanelTrayTest, WithTodaysServiceTheTipTellsTheLastCheckAndOneNoticeAFailingRun) {
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0"}, x_.Env());
  ASSERT_TRUE(
      WaitUntil([&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
  testing_support::BusMonitor notices(busAddress_, kNotices, "Notify", prefix_);
  WriteSettings("SCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch +
                "\r\n[SERVICE]\r\nAPPLICATION_ID=0f1e2d3c-4b5a-6978-8796-a5b4c3d2e1f0\r\n"
                "ACCESS_KEY=pk_wrong\r\n");
  Launch({"KOBANU_TEST_CYCLE_MS=100"});
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
  // The tip's first line is the panel's title, the second its description.
  const auto tip = [&] { return ItemProperty("ToolTip"); };
  ASSERT_TRUE(WaitUntil([&] { return tip()[3] != ""; })) << tip();
  EXPECT_EQ(tip()[2], "Kobanuアプリ");
  EXPECT_EQ(tip()[3].get<std::string>().substr(6),
            "確認できません: アプリIDかアクセスキーが違います");
  ASSERT_TRUE(WaitUntil([&] { return notices.Count() == 1; }, std::chrono::seconds(20)));
  EXPECT_NE(notices.Log().find("アプリID（APPLICATION_ID）か"), std::string::npos);
  Shoot("service_tip_notice");
  // The checks go on failing alike (one every 1.1 s, the service's pace): no second notice.
  EXPECT_FALSE(WaitUntil([&] { return notices.Count() > 1; }, std::chrono::seconds(5)));
  Click("終了");
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
}

// At an alert with today's service, beside the box, one notice names the cheapest match that the
// narrowing leaves (the watch, not its bands or film); its default action, invoked at the desktop's
// notification service, opens the item's page, and another program's notice opens nothing.
TEST_F(PanelTrayTest, AnAlertsNoticeNamesTheCheapestMatchAndItsActionOpensItsPage) {
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0", "--click-notices"}, x_.Env());
  ASSERT_TRUE(
      WaitUntil([&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
  testing_support::BusMonitor notices(busAddress_, kNotices, "Notify", prefix_);
  WriteSettings("SCAN_FLAG=1\r\nSCAN_KEYWORD=" + kSmartWatch + "\r\nSCAN_PRICE=10000\r\n" +
                TodaysService(kWatchAlone));
  Launch({"KOBANU_TEST_CYCLE_MS=100", StandInBrowser()});
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
  ASSERT_TRUE(
      WaitUntil([&] { return BoxShown() && notices.Count() == 1; }, std::chrono::seconds(20)))
      << notices.Log();
  EXPECT_NE(notices.Log().find("ソラノ SZ100 スマートウォッチ 本体 ホワイト 箱なし\n9,480円 送料別 "
                               "スマート&amp;ギア"),
            std::string::npos)
      << notices.Log();
  EXPECT_EQ(ItemProperty("ToolTip")[3].get<std::string>().substr(6), "該当 1件 最安 9,480円");
  ASSERT_TRUE(WaitUntil([&] { return !Opened().empty(); }));
  std::this_thread::sleep_for(std::chrono::milliseconds(500));  // for a second opening, if any
  EXPECT_EQ(Opened(), "http://" + mall_.host() + "/item/smartgear:50000002\n");
  x_.XDoTool("key Return");  // the box's OK
  ASSERT_TRUE(WaitUntil([&] { return !BoxShown(); }));
  EXPECT_EQ(notices.Count(), 1);
  Click("終了");
  EXPECT_EQ(kobanu_.WaitForExit(std::chrono::seconds(10)), 0);
  EXPECT_NE(Settings().find("SCAN_FLAG=0"), std::string::npos);  // disarmed
}

// At login the watcher may be up well before the panel's host registers with it.
TEST_F(PanelTrayTest, AHostThatRegistersSixSecondsAfterTheWatcherGetsTheIconWithoutABox) {
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "6000"}, x_.Env());
  ASSERT_TRUE(WaitUntil(
      [&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == false; }));
  const auto start = std::chrono::steady_clock::now();
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered() || BoxShown(); }, std::chrono::seconds(20)));
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
  // The icon stays as it came, and no box follows: the host's registration, which reaches
  // Kobanu once more after it has added the icon, adds it no second time.
  const std::string item = ItemBusName();
  EXPECT_FALSE(item.empty());
  EXPECT_FALSE(WaitUntil([&] { return BoxShown() || ItemBusName() != item; },
                         std::chrono::milliseconds(1500)))
      << (BoxShown() ? "a box" : "the icon went or came again");
  Click("終了");
  ExpectEndedWithTheKeywordSaved();
}

// A panel that restarts brings a new watcher, whose host registers a moment later: the icon
// comes back and the settings are read again, as when the Windows taskbar is re-created.
TEST_F(PanelTrayTest, APanelThatRestartsGetsTheIconBackAndTheSettingsAreReadAgain) {
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0"}, x_.Env());
  ASSERT_TRUE(
      WaitUntil([&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
  WriteSettings("SCAN_KEYWORD=old\r\n");
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
  WriteSettings("SCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch + "\r\n");
  watcher.Kill();
  watcher = Child({KOBANU_SNI_WATCHER, "--host-after-ms", "300"}, x_.Env());
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "the icon did not come back";
  std::this_thread::sleep_for(std::chrono::seconds(1));  // as a person would pause
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); }));
  Click("終了");
  ExpectEndedWithTheKeywordSaved();
}

// On X11 the panel's StatusNotifier host may come after Kobanu has docked in the old XEmbed tray
// (Plasma's and Xfce's both offer one): the icon moves to the host, one item and no XEmbed icon
// beside it, and back to the XEmbed tray when the host goes.
TEST_F(PanelTrayTest, TheIconMovesFromTheXEmbedTrayToAHostThatComesAndBack) {
  x_.StartTrayer();
  Launch();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon never docked";
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0"}, x_.Env());
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
  ASSERT_TRUE(WaitUntil([&] { return !Icon().has_value(); })) << "the XEmbed icon stayed";
  EXPECT_EQ(WatcherProperty("RegisteredStatusNotifierItems")["data"].size(), 1u);
  EXPECT_EQ(MenuEntries().size(), 3u);
  Shoot("moved_to_the_host");
  watcher.Kill();
  ASSERT_TRUE(WaitUntil([&] { return Icon().has_value(); })) << "the icon did not come back";
  EXPECT_FALSE(BoxShown());
  ASSERT_EQ(kill(kobanu_.pid(), SIGTERM), 0);
  ExpectEndedWithTheKeywordSaved();
}

// A panel busy starting answers late: GNOME's extension as it is enabled, after Kobanu, and
// LXQt's panel, which takes the XEmbed selection while it still loads its plugins. The icon comes
// once the watcher answers, and stays with the host it is registered with.
TEST_F(PanelTrayTest, AWatcherBusyStartingGetsTheIconAndKeepsIt) {
  StartKobanuFirst(x_.Env());
  Child watcher({KOBANU_SNI_WATCHER, "--host-after-ms", "0", "--busy-ms", "1500"}, x_.Env());
  ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); }, std::chrono::seconds(10)))
      << "no item registered";
  const std::string item = ItemBusName();
  ASSERT_EQ(kill(watcher.pid(), SIGUSR1), 0);
  x_.StartTrayer();
  EXPECT_FALSE(WaitUntil([&] { return Icon().has_value(); }, std::chrono::seconds(3)))
      << "the icon left the host for the XEmbed tray";
  EXPECT_EQ(ItemBusName(), item);
  EXPECT_FALSE(BoxShown());
  ASSERT_EQ(kill(kobanu_.pid(), SIGTERM), 0);
  ExpectEndedWithTheKeywordSaved();
}

// One xfce4-panel with its status tray alone, as Xfce 4.18 sets it up. xfconfd, which D-Bus
// starts, takes its configuration from the bus's environment.
TEST_F(PanelTrayTest, OnXfcePanelInEitherOrderTheMenuOpensFromTheIconAndItsItemsWork) {
  if (!Installed("xfce4-panel")) GTEST_SKIP() << "xfce4-panel is not installed";
  TempDir config;
  std::filesystem::create_directories(config.File("xfce4/xfconf/xfce-perchannel-xml"));
  WriteFile(config.File("xfce4/xfconf/xfce-perchannel-xml/xfce4-panel.xml"),
            R"(<?xml version="1.0"?>
<channel name="xfce4-panel" version="1.0">
  <property name="configver" type="int" value="2"/>
  <property name="panels" type="array">
    <value type="int" value="1"/>
    <property name="panel-1" type="empty">
      <property name="position" type="string" value="p=6;x=0;y=0"/>
      <property name="length" type="uint" value="100"/>
      <property name="position-locked" type="bool" value="true"/>
      <property name="size" type="uint" value="32"/>
      <property name="plugin-ids" type="array"><value type="int" value="1"/></property>
    </property>
  </property>
  <property name="plugins" type="empty">
    <property name="plugin-1" type="string" value="systray"/>
  </property>
</channel>
)");
  Bus("call org.freedesktop.DBus /org/freedesktop/DBus org.freedesktop.DBus "
      "UpdateActivationEnvironment a{ss} 1 XDG_CONFIG_HOME " +
      config.path());
  std::vector<std::string> env = x_.Env();
  env.insert(env.end(), {"XDG_CONFIG_HOME=" + config.path(), "NO_AT_BRIDGE=1"});
  const auto menuShown = [&] {
    for (const XWindow& w : x_.Windows()) {
      if (w.mapped && w.parent == 0 && w.overrideRedirect && w.wmClass.starts_with("wrapper"))
        return true;
    }
    return false;
  };
  for (const bool kobanuFirst : {false, true}) {
    SCOPED_TRACE(kobanuFirst ? "Kobanu first" : "the panel first");
    if (kobanuFirst) StartKobanuFirst(x_.Env());
    Child panel({"xfce4-panel", "--disable-wm-check"}, env);
    if (!kobanuFirst) {
      ASSERT_TRUE(WaitUntil(
          [&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
      Launch();
    }
    ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
    EXPECT_FALSE(BoxShown());
    // The status tray's window in the panel, whose first button is Kobanu's icon.
    std::optional<XWindow> tray;
    ASSERT_TRUE(WaitUntil([&] {
      for (const XWindow& w : x_.Windows()) {
        if (w.mapped && w.parent != 0 && w.wmClass.starts_with("wrapper-2.0") && w.width >= 16)
          tray = w;
      }
      return tray.has_value();
    }));
    const std::string icon = std::to_string(tray->x + tray->height / 2) + " " +
                             std::to_string(tray->y + tray->height / 2);
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // as a person would pause
    x_.XDoTool("mousemove " + icon + " click 1");
    EXPECT_FALSE(WaitUntil([&] { return DialogShown(kSettingsCaption); }, std::chrono::seconds(1)))
        << "a left click opened the dialog";
    x_.XDoTool("mousemove " + icon + " click 3");
    ASSERT_TRUE(WaitUntil(menuShown)) << "no menu from the icon";
    Shoot(kobanuFirst ? "xfce_menu_kobanu_first" : "xfce_menu");
    x_.XDoTool("key Down Return");  // "ダイアログを開く"
    ASSERT_TRUE(WaitUntil([&] { return DialogShown(kSettingsCaption); }));
    Shoot("xfce_dialog");
    x_.XDoTool("key Escape");
    ASSERT_TRUE(WaitUntil([&] { return !DialogShown(kSettingsCaption); }));
    x_.XDoTool("mousemove " + icon + " click 3");
    ASSERT_TRUE(WaitUntil(menuShown));
    x_.XDoTool("key Up Return");  // "終了", the last
    ExpectEndedWithTheKeywordSaved();
  }
}

// Sway with waybar as its bar, Kobanu on Qt's Wayland platform. As root every program of the
// session runs as an ordinary user of a user namespace: sway refuses root.
class WaybarTrayTest : public PanelTrayTest {
 protected:
  WaybarTrayTest() {
    prefix_ = testing_support::AsOrdinaryUser();
    busAddress_ = bus_.address();
    chmod(runtime_.path().c_str(), 0700);
  }

  std::vector<std::string> WaylandEnv() {
    return {"XDG_RUNTIME_DIR=" + runtime_.path(),
            "WAYLAND_DISPLAY=wayland-1",
            bus_.Env(),
            "DISPLAY",
            "XDG_CONFIG_HOME=" + runtime_.File("config"),
            "NO_AT_BRIDGE=1",
            "GTK_THEME=Adwaita"};
  }
  Child Start(const std::vector<std::string>& argv, std::vector<std::string> env) {
    std::vector<std::string> all = prefix_;
    all.insert(all.end(), argv.begin(), argv.end());
    return Child(all, env);
  }
  struct SwayWindow {
    std::string name;
    std::string appId;
    bool floating = false;
    bool focused = false;
    int x = 0, y = 0;  // the top left corner of its frame
  };
  // Sway's windows, those that float bottom to top as sway stacks them.
  std::vector<SwayWindow> SwayWindows() {
    const auto text =
        Output(Joined(prefix_) + "env XDG_RUNTIME_DIR=" + runtime_.path() + " SWAYSOCK=$(ls " +
               runtime_.path() + "/sway-ipc.*) swaymsg -r -t get_tree");
    std::vector<SwayWindow> windows;
    std::function<void(const json&, bool)> walk = [&](const json& node, bool floating) {
      if (node.contains("app_id") && !node["app_id"].is_null()) {
        windows.push_back({node["name"].is_string() ? node["name"] : "", node["app_id"], floating,
                           node.value("focused", false), node["rect"].value("x", 0),
                           node["rect"].value("y", 0)});
      }
      for (const json& child : node.value("nodes", json::array())) walk(child, false);
      for (const json& child : node.value("floating_nodes", json::array())) walk(child, true);
    };
    if (text) walk(json::parse(*text, nullptr, false), false);
    return windows;
  }
  std::optional<SwayWindow> SwayWindowNamed(const std::string& name) {
    for (const SwayWindow& window : SwayWindows()) {
      if (window.name == name) return window;
    }
    return std::nullopt;
  }
  bool SettingsDialogFloats() {
    const auto dialog = SwayWindowNamed(kSettingsCaption);
    return dialog && dialog->floating;
  }
  // How light the screen is in a rectangle, 0 to 1.
  double Lightness(int x, int y, int width, int height) {
    XWindow area{};
    area.x = x;
    area.y = y;
    area.width = width;
    area.height = height;
    return x_.OnScreen(area).mean;
  }

  TempDir runtime_;
  testing_support::SessionBus bus_{testing_support::AsOrdinaryUser()};
};

// In both orders, waybar first or Kobanu first with waybar a second later, as both are started
// from sway's configuration at login: the icon comes, with no box, and Kobanu keeps running.
TEST_F(WaybarTrayTest, OnWaybarInEitherOrderTheMenuOpensAtTheIconAndABoxStaysOverItsDialog) {
  if (!Installed("sway") || !Installed("waybar")) GTEST_SKIP() << "sway or waybar missing";
  WriteFile(runtime_.File("sway.conf"),
            "xwayland disable\noutput X11-1 resolution 1024x738 position 0 0\n");
  std::filesystem::create_directories(runtime_.File("config/waybar"));
  WriteFile(runtime_.File("config/waybar/config"),
            R"({"layer": "top", "position": "top", "height": 30, "modules-center": ["tray"],
                "tray": {"icon-size": 22}})");
  Child sway = Start({"sway", "-c", runtime_.File("sway.conf")},
                     {"DISPLAY=" + x_.display(), "WLR_BACKENDS=x11", "WLR_RENDERER=pixman",
                      "XDG_RUNTIME_DIR=" + runtime_.path(), bus_.Env(), "WAYLAND_DISPLAY"});
  ASSERT_TRUE(WaitUntil([&] { return std::filesystem::exists(runtime_.File("wayland-1")); }));
  std::vector<std::string> env = WaylandEnv();
  env.push_back("QT_QPA_PLATFORM=wayland");
  // The tray alone in the middle of the bar: the icon at the screen's middle. GTK puts the menu
  // below and right of the pointer, its two items above and below the separator.
  const auto menuShown = [&, background = Lightness(520, 40, 150, 30)] {
    return Lightness(520, 40, 150, 30) > background + 0.3;
  };
  for (const bool kobanuFirst : {false, true}) {
    SCOPED_TRACE(kobanuFirst ? "Kobanu first" : "waybar first");
    if (kobanuFirst) StartKobanuFirst(env);
    Child waybar = Start({"waybar"}, WaylandEnv());
    if (!kobanuFirst) {
      ASSERT_TRUE(WaitUntil(
          [&] { return WatcherProperty("IsStatusNotifierHostRegistered")["data"] == true; }));
      LaunchWith(prefix_, env);
    }
    ASSERT_TRUE(WaitUntil([&] { return ItemRegistered(); })) << "no item registered";
    EXPECT_TRUE(SwayWindows().empty()) << "a box";
    EXPECT_TRUE(kobanu_.Running());
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // as a person would pause
    Shoot(kobanuFirst ? "waybar_kobanu_first" : "waybar");
    if (kobanuFirst) {
      x_.XDoTool("mousemove 512 15 click 3");
      ASSERT_TRUE(WaitUntil(menuShown)) << "no menu at the icon";
      x_.XDoTool("mousemove 560 57 click 1");  // "終了"
      ExpectEndedWithTheKeywordSaved();
      continue;
    }

    x_.XDoTool("mousemove 512 15 click 1");
    EXPECT_FALSE(WaitUntil([&] { return SettingsDialogFloats(); }, std::chrono::seconds(1)))
        << "a left click opened the dialog";
    x_.XDoTool("mousemove 512 15 click 3");
    ASSERT_TRUE(WaitUntil(menuShown)) << "no menu at the icon";
    EXPECT_TRUE(SwayWindows().empty()) << "a window of Kobanu's own for the menu";
    Shoot("waybar_menu");
    x_.XDoTool("mousemove 560 31 click 1");  // "ダイアログを開く"
    ASSERT_TRUE(WaitUntil([&] { return SettingsDialogFloats(); })) << "no floating dialog";
    EXPECT_EQ(SwayWindowNamed(kSettingsCaption)->appId, "io.github.kobanu.kobanu");
    Shoot("waybar_dialog");

    // A price warning floats over the dialog it belongs to, and a click on the greyed dialog
    // leaves it there with the focus: Return answers it.
    x_.XDoTool("mousemove 512 384 key Tab Tab Tab Tab Tab Tab minus");  // from OK to the price box
    ASSERT_TRUE(WaitUntil([&] { return SwayWindowNamed("Kobanu").has_value(); }))
        << "no price warning";
    const SwayWindow dialog = *SwayWindowNamed(kSettingsCaption);
    x_.XDoTool("mousemove " + std::to_string(dialog.x + 20) + " " + std::to_string(dialog.y + 40) +
               " click 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    Shoot("waybar_box_after_a_click_on_the_dialog");
    const std::vector<SwayWindow> stacked = SwayWindows();
    ASSERT_EQ(stacked.size(), 2u);
    EXPECT_EQ(stacked.back().name, "Kobanu") << "the box is not on top";
    EXPECT_TRUE(stacked.back().focused) << "the box lost the focus";
    x_.XDoTool("key Return");
    ASSERT_TRUE(WaitUntil([&] { return !SwayWindowNamed("Kobanu"); }));
    x_.XDoTool("mousemove 512 384 key BackSpace Escape");  // no price, as before
    ASSERT_TRUE(WaitUntil([&] { return SwayWindows().empty(); }));
    x_.XDoTool("mousemove 512 15 click 3");
    ASSERT_TRUE(WaitUntil(menuShown));
    x_.XDoTool("mousemove 560 57 click 1");  // "終了"
    ExpectEndedWithTheKeywordSaved();
  }
}

}  // namespace
