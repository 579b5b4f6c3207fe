#include <chrono>
#include <string>

#include "app/kobanu_app.h"
#include "app/tray_window.h"
#include "platform/ui/socket_init.h"
#include "res/resource.h"
#include "service/check_outcome.h"
#include "settings/settings_file.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "ui/desktop_fixture.h"
#include "worker/check_status.h"

namespace {

using testing_support::HeadlessBackend;
using testing_support::HeadlessDialog;
using testing_support::ReadFile;
using testing_support::ScopedOverride;
using testing_support::WriteFile;

using testing_support::kWatch;

// The fixture's settings file after a save with the in-stock check turned on.
const std::string kSavedOnExit =
    "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=old\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=1\r\nSCAN_TIMESALE="
    "0\r\n";

class TrayAppTest : public testing_support::DesktopTest {
 protected:
  // The alert stays off, so that the worker, once started, keeps to its hourly sleep.
  TrayAppTest() {
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=old\r\n");
    ui.SetCursorPos({300, 20});
  }
  // Each menu the tray opens chooses the next of these commands.
  void ChooseFromMenus(std::vector<UINT> commands) {
    auto next = std::make_shared<size_t>(0);
    ui.ScriptMenus([commands, next](const MenuTemplate&, POINT) {
      return *next < commands.size() ? commands[(*next)++] : 0u;
    });
  }

  int RunApp() { return AfxWinMain(); }

  CKobanuApp app;
};

constexpr DWORD kRefused = 5;  // ERROR_ACCESS_DENIED, as a tray that will never take the icon

// These come first: no test before them has started the worker, so that its absence shows in
// the thread count.

// At login the panel often comes after Kobanu: it waits, with no box and nothing loaded, and the
// tray's arrival brings the icon, the settings and the worker. A second start meanwhile opens the
// dialog on the file's settings, which are saved when it closes; a registration while the dialog
// is open reads nothing over it.
TEST_F(TrayAppTest, WithoutATrayHostItWaitsForOneWithNoBoxAndASecondStartOpensTheDialog) {
  ui.QueueTrayResults({ERROR_NO_TRAY_HOST});
  const int threads = testing_support::ThreadCount();
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(app.InitInstance());
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));
  EXPECT_EQ(ui.TrayRequests(), 1);
  EXPECT_EQ(std::string(settings.scanKeyword), "");
  ui.PumpUntil([] { return false; }, std::chrono::milliseconds(100));
  EXPECT_EQ(testing_support::ThreadCount(), threads);

  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    EXPECT_EQ(d.GetText(IDC_KEYWORD), "old");
    d.Paste(IDC_KEYWORD, kWatch);
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_KEYWORD=elsewhere\r\n");
    ui.RestartTrayHost();  // the panel comes while the dialog is open
    EXPECT_TRUE(ui.PumpUntil([&] { return ui.TrayIconShown(); }));
    d.PressEsc();
  });
  ui.Post([] { ui::DeliverTrayMenuCommand(ID_TRAY_OPEN_DIALOG); });
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.UnscriptedDialogs() == 0 && ui.TrayIconShown(); }));
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_NE(ReadFile(sandbox.IniPath()).find("SCAN_KEYWORD=" + kWatch), std::string::npos);
  EXPECT_LE(testing_support::ThreadCount() - threads, 1);  // the worker; Wine shows no threads
  EXPECT_TRUE(ui.MessageBoxes().empty());
  ui.RequestClose();
  EXPECT_EQ(app.Run(), 0);
}

// A close request while Kobanu waits for a tray ends it, with the file as it was.
TEST_F(TrayAppTest, ACloseRequestWhileWaitingForATrayEndsWithoutSaving) {
  ui.QueueTrayResults({ERROR_NO_TRAY_HOST});
  ASSERT_TRUE(app.InitInstance());
  ui.RequestClose();
  EXPECT_EQ(app.Run(), 0);
  EXPECT_TRUE(ui.MessageBoxes().empty());
  EXPECT_EQ(ReadFile(sandbox.IniPath()), "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=old\r\n");
}

// A tray that refuses the icon is said once and ends the program. The tray's arrival and a
// second start's request, which come while the box is open, neither register nor open anything:
// the settings were never loaded, so nothing may be saved.
TEST_F(TrayAppTest, ARefusedIconIsReportedOnceAndEndsWithoutLoadingOrAWorker) {
  ui.QueueTrayResults({kRefused});
  ui.Post([] {
    ui::DeliverTrayMenuCommand(ID_TRAY_OPEN_DIALOG);
    ui::DeliverTaskbarCreated();
  });
  const int threads = testing_support::ThreadCount();
  ASSERT_TRUE(app.InitInstance());
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(ui.TrayRequests(), 1);
  EXPECT_EQ(ui.MessageBoxTexts(),
            std::vector<std::string>{"通知領域にアイコンを登録できませんでした。"});
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Kobanu");
  EXPECT_EQ(ui.UnscriptedDialogs(), 0);
  EXPECT_EQ(std::string(settings.scanKeyword), "");
  EXPECT_EQ(testing_support::ThreadCount(), threads);
  EXPECT_EQ(ReadFile(sandbox.IniPath()), "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=old\r\n");
}

TEST_F(TrayAppTest, AFailedSocketsLayerEndsStartUpUnderTheExecutablesName) {
  const int threads = testing_support::ThreadCount();
  {
    const ScopedOverride failing(FailSocketInitForTesting, true);
    EXPECT_EQ(RunApp(), 1);
  }
  EXPECT_EQ(ui.MessageBoxTexts(),
            std::vector<std::string>{"Windows ソケットの初期化に失敗しました。"});
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "kobanu");
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_EQ(testing_support::ThreadCount(), threads);
}

TEST_F(TrayAppTest, NoInvisibleWindowMeansNoIconNoWorkerAndAnExitCode) {
  ui.FailWindowCreation(true);
  const int threads = testing_support::ThreadCount();
  EXPECT_EQ(RunApp(), 1);
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_EQ(std::string(settings.scanKeyword), "");  // nothing loaded either
  EXPECT_EQ(testing_support::ThreadCount(), threads);
}

TEST_F(TrayAppTest, StartsInTheTrayWithTheSettingsLoadedAndOneWorker) {
  ui.PressTrayIcon(WM_LBUTTONDOWN);
  ui.PressTrayIcon(WM_LBUTTONDBLCLK);
  ui.PressTrayIcon(WM_RBUTTONUP);
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  ChooseFromMenus({ID_TRAY_EXIT});
  const int threads = testing_support::ThreadCount();
  ASSERT_TRUE(app.InitInstance());
  EXPECT_LE(testing_support::ThreadCount() - threads, 1);  // the worker, unless it runs already
  EXPECT_GE(testing_support::ThreadCount(), threads);
  EXPECT_TRUE(ui.TrayIconShown());
  EXPECT_EQ(ui.CurrentTrayIcon().tip, "Kobanuアプリ");
  EXPECT_EQ(ui.CurrentTrayIcon().icon, IDR_MAINFRAME);
  EXPECT_EQ(std::string(settings.scanKeyword), "old");
  EXPECT_EQ(AfxGetAppName(), "Kobanu");
  EXPECT_EQ(app.Run(), 0);

  // Only the right-button press opened the menu, at the cursor.
  ASSERT_EQ(ui.TrackedMenus().size(), 1u);
  EXPECT_EQ(ui.TrackedMenus()[0].menuId, IDR_TRAY_MENU);
  EXPECT_EQ(ui.TrackedMenus()[0].at.x, 300);
  EXPECT_EQ(ui.TrackedMenus()[0].at.y, 20);
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_TRUE(ui.MessageBoxes().empty());
}

// With [SERVICE] the worker's checks reach the icon: a second line of its tip, and a notice when
// they keep failing. Without it nothing changes the tray.
TEST_F(TrayAppTest, TheWorkersCheckStatusReachesTheTipAndOneNotice) {
  ASSERT_TRUE(app.InitInstance());
  const int requests = ui.TrayRequests();
  worker::NoteCheckStatus(std::nullopt);  // a cycle with [SERVICE] off changes nothing
  ui.PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(ui.TrayRequests(), requests);
  const service::CheckOutcome failed =
      service::Failed(service::Failure::kIpNotAllowed, "", "CLIENT_IP_NOT_ALLOWED", 403);
  for (int cycle = 0; cycle < 3; ++cycle) worker::NoteCheckStatus(failed);
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.TrayNotices().empty(); }));
  const std::string tip = ui.CurrentTrayIcon().tip;
  EXPECT_EQ(tip.substr(0, tip.find('\n')), "Kobanuアプリ");
  EXPECT_EQ(tip.substr(tip.find('\n') + 7), "確認できません: 登録IPと異なります");
  ASSERT_EQ(ui.TrayNotices().size(), 1u);
  EXPECT_EQ(ui.TrayNotices()[0].find("Kobanu 確認できない状態が続いています: "
                                     "確認できません: 登録IPと異なります\n原因: "),
            0u)
      << ui.TrayNotices()[0];

  worker::NoteCheckStatus(std::nullopt);  // [SERVICE] switched off
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.CurrentTrayIcon().tip == "Kobanuアプリ"; }));
  EXPECT_EQ(ui.TrayNotices().size(), 1u);
  ChooseFromMenus({ID_TRAY_EXIT});
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(app.Run(), 0);
}

// At an alert the notice names the cheapest match, and a click on it opens the item's page as the
// hit list does.
TEST_F(TrayAppTest, TheNoticeAtAnAlertNamesTheMatchAndItsClickOpensThePage) {
  ASSERT_TRUE(app.InitInstance());
  service::CheapestMatch match{.name = "SZ100 フィルム",
                               .price = 1234567,
                               .postageIncluded = true,
                               .shop = "スマートギア",
                               .address = "https://item.example/shop/1"};
  worker::NoteCheckStatus(service::Counted(6, "", match));
  worker::NoteAlert(service::Counted(6, "", match));
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.TrayNotices().empty(); }));
  EXPECT_EQ(ui.TrayNotices()[0],
            "Kobanu 条件が成立しました！！: SZ100 フィルム\n1,234,567円 送料込 スマートギア");
  EXPECT_EQ(ui.CurrentTrayIcon().noticeIcon, ui::NoticeIcon::kInformation);
  const std::string tip = ui.CurrentTrayIcon().tip;
  EXPECT_EQ(tip.substr(tip.find('\n') + 7), "該当 6件 最安 1,234,567円");
  ui.PressTrayIcon(NIN_BALLOONUSERCLICK);
  ASSERT_TRUE(ui.PumpUntil([&] { return !ui.OpenedAddresses().empty(); }));
  EXPECT_EQ(ui.OpenedAddresses(), std::vector<std::string>{"https://item.example/shop/1"});

  // After the failing checks' notice, and for an address that is no web address, nothing opens.
  const service::CheckOutcome failed =
      service::Failed(service::Failure::kIpNotAllowed, "", "CLIENT_IP_NOT_ALLOWED", 403);
  for (int cycle = 0; cycle < 3; ++cycle) worker::NoteCheckStatus(failed);
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.TrayNotices().size() == 2; }));
  EXPECT_EQ(ui.CurrentTrayIcon().noticeIcon, ui::NoticeIcon::kWarning);
  ui.PressTrayIcon(NIN_BALLOONUSERCLICK);
  match.address = "javascript:alert(1)";
  worker::NoteAlert(service::Counted(1, "", match));
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.TrayNotices().size() == 3; }));
  ui.PressTrayIcon(NIN_BALLOONUSERCLICK);
  ui.PumpUntil([] { return false; }, std::chrono::milliseconds(200));
  EXPECT_EQ(ui.OpenedAddresses().size(), 1u);
  ChooseFromMenus({ID_TRAY_EXIT});
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(app.Run(), 0);
}

// Panels that draw the icon's menu themselves (StatusNotifier hosts) get the tray menu; its
// items, and a click on the icon there, reach the commands of the right-button menu.
TEST_F(TrayAppTest, ATrayHostsOwnMenuAndAClickOnTheIconReachTheTrayCommands) {
  ASSERT_TRUE(app.InitInstance());
  const MenuTemplate* menu = ui.CurrentTrayIcon().menu;
  ASSERT_NE(menu, nullptr);
  std::vector<std::pair<UINT, std::string>> items;
  for (const MenuItemTemplate& item : menu->items) {
    items.emplace_back(item.command, item.text != nullptr ? item.text : "-");
  }
  EXPECT_EQ(items,
            (std::vector<std::pair<UINT, std::string>>{
                {ID_TRAY_OPEN_DIALOG, "ダイアログを開く"}, {0, "-"}, {ID_TRAY_EXIT, "終了"}}));
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    d.Paste(IDC_KEYWORD, kWatch);
    d.PressEsc();
    // A left click on the icon, the panel's activation, opens nothing.
    ui.PressTrayIcon(WM_LBUTTONDOWN);
    EXPECT_TRUE(ui.ChooseInHostMenu("ダイアログを開く"));
  });
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    d.Click(IDC_ZAIKO);
    d.PressEsc();
    EXPECT_TRUE(ui.ChooseInHostMenu("終了"));
  });
  EXPECT_TRUE(ui.ChooseInHostMenu("ダイアログを開く"));
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(ui.UnscriptedDialogs(), 0);
  EXPECT_TRUE(ui.TrackedMenus().empty());
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_EQ(ReadFile(sandbox.IniPath()),
            "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch +
                "\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=1\r\nSCAN_TIMESALE=0\r\n");
}

TEST_F(TrayAppTest, TheDialogCommandSavesWhicheverWayTheDialogClosed) {
  ChooseFromMenus({ID_TRAY_OPEN_DIALOG, ID_TRAY_EXIT});
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    d.Paste(IDC_KEYWORD, kWatch);
    d.Click(IDC_ZAIKO);
    d.PressEsc();
    ui.PressTrayIcon(WM_RBUTTONDOWN);  // then "終了"
  });
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(RunApp(), 0);
  EXPECT_EQ(watchState.settingsDialogOpen, 0);
  EXPECT_EQ(watchState.settingsDialogPrimed, 0);
  EXPECT_EQ(ReadFile(sandbox.IniPath()),
            "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch +
                "\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=1\r\nSCAN_TIMESALE=0\r\n");
}

TEST_F(TrayAppTest, TheMenuStaysUsableWhileTheDialogIsOpenAndOpensNoSecondDialog) {
  ChooseFromMenus({ID_TRAY_OPEN_DIALOG, ID_TRAY_OPEN_DIALOG, ID_TRAY_EXIT});
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    d.Paste(IDC_PRICE, "700");
    ui.PressTrayIcon(WM_RBUTTONDOWN);  // opens nothing, saves
    EXPECT_TRUE(ui.PumpUntil(
        [&] { return ReadFile(sandbox.IniPath()).find("SCAN_PRICE=700") != std::string::npos; }));
    ui.PressTrayIcon(WM_RBUTTONDOWN);  // "終了" while the dialog is still open
  });
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(RunApp(), 0);
  EXPECT_EQ(ui.UnscriptedDialogs(), 0);
  EXPECT_EQ(ui.TrackedMenus().size(), 3u);
  EXPECT_FALSE(ui.TrayIconShown());
}

TEST_F(TrayAppTest, ExitEndsTheLoopWhileAWorkersBoxIsOpen) {
  ui.SetBoxPolicy(HeadlessBackend::BoxPolicy::Hold);
  ChooseFromMenus({ID_TRAY_EXIT});
  ASSERT_TRUE(app.InitInstance());
  // A thread of its own that stays in its box, as the worker would; it is let go at the end.
  std::thread worker([] { AfxMessageBox("Kobanu 条件が成立しました！！"); });
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.OpenBoxes() == 1; }));
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_NE(ReadFile(sandbox.IniPath()).find("SCAN_KEYWORD=old"), std::string::npos);
  ui.DismissBox();
  ui.PumpUntil([] { return false; }, std::chrono::milliseconds(20));
  worker.join();
}

// 終了 and a close request from outside (taskkill without /F, the session's end) both close the
// main window, which saves what is in memory: here a change the file does not hold yet.
TEST_F(TrayAppTest, ExitSavesTheSettingsAndRemovesTheIcon) {
  ChooseFromMenus({ID_TRAY_EXIT});
  ASSERT_TRUE(app.InitInstance());
  settings.scanZaiko = 1;
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kSavedOnExit);
}

TEST_F(TrayAppTest, ACloseRequestFromOutsideSavesAndEndsAsExitDoes) {
  ASSERT_TRUE(app.InitInstance());
  settings.scanZaiko = 1;
  ui.RequestClose();
  EXPECT_EQ(app.Run(), 0);
  EXPECT_FALSE(ui.TrayIconShown());
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kSavedOnExit);
}

TEST_F(TrayAppTest, ATimingOutTrayIsAskedAgainEverySecond) {
  ui.QueueTrayResults({ERROR_TIMEOUT, ERROR_TIMEOUT, 0});  // add, modify, then the second add
  const auto start = std::chrono::steady_clock::now();
  ASSERT_TRUE(app.InitInstance());
  EXPECT_GE(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(1000));
  EXPECT_EQ(ui.TrayRequests(), 3);
  EXPECT_TRUE(ui.TrayIconShown());
  EXPECT_EQ(std::string(settings.scanKeyword), "old");
  app.m_pMainWnd->DestroyWindow();
}

TEST_F(TrayAppTest, ATrayHostThatComesBackGetsTheIconAgainAndTheSettingsAreReread) {
  ChooseFromMenus({ID_TRAY_EXIT});
  ASSERT_TRUE(app.InitInstance());
  const int threads = testing_support::ThreadCount();
  WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_KEYWORD=new\r\n");
  ui.RestartTrayHost();
  EXPECT_FALSE(ui.TrayIconShown());
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.TrayIconShown(); }));
  EXPECT_EQ(std::string(settings.scanKeyword), "new");
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_EQ(testing_support::ThreadCount(), threads);  // still the one worker
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(app.Run(), 0);
}

}  // namespace
