
#include <algorithm>
#include <chrono>
#include <memory>
#include <sstream>

#include <gtest/gtest.h>

#include "desktop/hit_list_dialog.h"
#include "desktop/settings_dialog.h"
#include "platform/http/http_request.h"
#include "res/program_resources.h"
#include "res/resource.h"
#include "res/texts.h"
#include "service/described/described_queries.h"
#include "service/ichiba/request_pacer.h"
#include "service/ichiba/service_versions.h"
#include "service/price_history.h"
#include "service/router/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/headless_backend.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"
#include "support/standin_mall/service_keys.h"
#include "support/temp_dir.h"
#include "support/worker_driver.h"
#include "worker/check_status.h"

namespace {

using namespace std::chrono_literals;
using namespace testing_support;  // the catalogue's keywords
using testing_support::ReadFile;
using testing_support::ScopedOverride;
using testing_support::StandInMall;
using testing_support::TempDir;
using testing_support::WorkerDriver;
using testing_support::WriteFile;
using ui::headless::HeadlessBackend;

// Opens the hit list while the worker's count query waits for a server that never answers (the
// request path starting with stalledPath), until the idle limit; tells how long the list took to
// open and how many rows it had, and that the count query gave up after it.
struct StalledCount {
  std::chrono::steady_clock::duration opened{};
  size_t rows = 0;
};

// Stands in for the tray window: keeps what the worker's checks tell it, as the tray shows it.
class StatusWindow : public CWnd {
 public:
  // The tip now, and the notice that came since the last call, if any.
  worker::CheckStatus TakeStatus() {
    worker::CheckStatus now = shown_;
    shown_.notice.clear();
    shown_.noticeAddress.clear();
    return now;
  }

  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_CHECK_STATUS) return CWnd::WindowProc(message, wParam, lParam);
    const worker::CheckStatus& told = *reinterpret_cast<const worker::CheckStatus*>(lParam);
    shown_.tipLine = told.tipLine;
    if (!told.notice.empty()) shown_ = told;
    return 0;
  }

 private:
  worker::CheckStatus shown_;
};

// The one worker of this test program against the stand-in mall, on the in-memory window system.
class WatchWorkerTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    RegisterResources(ProgramResources());
    ui = &ui::headless::InstallHeadlessBackend();
#ifdef KOBANU_HTTP_TEST_CA
    // The IchibaItem/Search service over TLS, trusting the stand-in's own authority.
    certificates = std::make_unique<TempDir>();
    mall = new StandInMall(0, certificates->path());
    platform::http::SetTrustedCaFileForTesting(mall->CaFile());
#else
    mall = new StandInMall;
#endif
    service::SetServiceHostsForTesting({mall->host(), mall->host()});
    tray = new StatusWindow;
    ASSERT_TRUE(tray->CreateEx(0, "", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
    worker::RegisterCheckStatusWindow(tray->m_hWnd);
    driver = new WorkerDriver(
        [](const std::function<bool()>& condition) { ASSERT_TRUE(ui->PumpUntil(condition)); });
  }
  static void TearDownTestSuite() {  // the worker stays paused: never joined
    delete mall;
    certificates.reset();
  }

  void SetUp() override {
    ui->Reset();
    watchState.settingsDialogOpen = 0;
  }

  // Runs one cycle and tells what it showed and sent.
  struct Cycle {
    std::vector<std::string> boxes;
    size_t requests = 0;
  };
  Cycle RunCycle() {
    const size_t requestsBefore = mall->RequestLines().size();
    const size_t boxesBefore = ui->MessageBoxTexts().size();
    const int pausesBefore = driver->Pauses();
    driver->RunCycle();
    EXPECT_EQ(driver->Pauses(), pausesBefore + 1);  // every cycle ends in exactly one pause
    EXPECT_EQ(driver->LastPauseMs(), 3'600'000u);
    const auto boxes = ui->MessageBoxTexts();
    return {{boxes.begin() + static_cast<std::ptrdiff_t>(boxesBefore), boxes.end()},
            mall->RequestLines().size() - requestsBefore};
  }

  // Writes a [SERVICE] section for the stand-in's API/backend application (with the lines given
  // after the id and the key) and loads it.
  void UseService(const std::string& lines) {
    WriteFile(sandbox.IniPath(), std::string("[SERVICE]\r\nAPPLICATION_ID=") +
                                     standin::kApplicationId +
                                     "\r\nACCESS_KEY=" + standin::kAccessKey + "\r\n" + lines);
    LoadSettings();
  }

  // See StalledCount.
  StalledCount OpenHitListWhileTheCountQueryStalls(const std::string& stalledPath,
                                                   std::chrono::seconds idleLimit) {
    const ScopedOverride idle(platform::http::SetLimitsForTesting, {.idle = idleLimit});
    Arm(kWatch);
    const size_t faulted = mall->FaultedRequests().size();
    mall->ArmFault("mode=no-headers");
    driver->Release();
    // Wait until the worker's request holds the fault, not merely until it has arrived: the
    // hit list's own request could otherwise take it first.
    EXPECT_TRUE(ui->PumpUntil([&] { return mall->FaultedRequests().size() > faulted; }));
    EXPECT_TRUE(mall->FaultedRequests().back().starts_with("no-headers " + stalledPath));

    CWinApp app;
    const auto start = std::chrono::steady_clock::now();
    StalledCount stalled;
    ui->ScriptNextDialog([&](ui::headless::HeadlessDialog& dialog) {
      stalled.opened = std::chrono::steady_clock::now() - start;
      stalled.rows = dialog.Items(IDC_HITLIST).size();
      dialog.PressEnter();
    });
    CMainDlg().DoModal();
    EXPECT_EQ(settings.scanFlag, 1);  // the count query is still waiting
    driver->WaitUntilPaused();
    EXPECT_EQ(watchState.lastHitCount, -1);  // and then gives up
    return stalled;
  }

  void Arm(const std::string& keyword, const std::string& price = "", int timesale = 0) {
    settings.scanFlag = 1;
    settings.scanKeyword = keyword;
    settings.scanPrice = price;
    settings.scanTimesale = timesale;
  }

  static HeadlessBackend* ui;
  static StandInMall* mall;
  static inline std::unique_ptr<TempDir> certificates;  // of the stand-in's TLS
  static WorkerDriver* driver;
  static inline StatusWindow* tray = nullptr;  // never destroyed: the worker may still tell it
  testing_support::SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

HeadlessBackend* WatchWorkerTest::ui = nullptr;
StandInMall* WatchWorkerTest::mall = nullptr;
WorkerDriver* WatchWorkerTest::driver = nullptr;

using Boxes = std::vector<std::string>;

TEST_F(WatchWorkerTest, DisarmedDoesNothingButStillPauses) {
  settings.scanKeyword = kWatch;
  const Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.requests, 0u);
  EXPECT_EQ(cycle.boxes, Boxes{});
}

TEST_F(WatchWorkerTest, EmptyKeywordAndBadPriceGiveTwoMessagesAndNoQuery) {
  Arm("", "abc");
  Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.boxes, (Boxes{texts::kNoKeyword, texts::kPriceNotNumber}));
  EXPECT_EQ(cycle.requests, 0u);

  settings.scanPrice = "100";
  cycle = RunCycle();
  EXPECT_EQ(cycle.boxes, Boxes{texts::kNoKeyword});
  EXPECT_EQ(cycle.requests, 0u);
  EXPECT_EQ(settings.scanFlag, 1);  // warnings do not disarm
}

TEST_F(WatchWorkerTest, ThePriceIsCheckedBeforeEveryQueryInBothModes) {
  for (const int timesale : {0, 1}) {
    Arm(kNothing, "-1", timesale);
    EXPECT_EQ(RunCycle().boxes, Boxes{texts::kPriceNegative});
    for (const char* bad : {"500 ", "1,000", "-5円"}) {
      settings.scanPrice = bad;
      const Cycle cycle = RunCycle();
      EXPECT_EQ(cycle.boxes, Boxes{texts::kPriceNotNumber}) << bad;
      EXPECT_EQ(cycle.requests, 0u);
    }
    for (const char* good : {"0", "-0", " 500", "1e3"}) {
      settings.scanPrice = good;
      const Cycle cycle = RunCycle();
      EXPECT_EQ(cycle.boxes, Boxes{}) << good;
      EXPECT_EQ(cycle.requests, 1u) << good;
    }
  }
}

TEST_F(WatchWorkerTest, AMatchAlertsAndDisarmsInMemoryAndInTheFile) {
  Arm(kWatch, "5000");
  const Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(watchState.lastHitCount, 6);  // the watches up to 5,000 yen
  EXPECT_EQ(watchState.lastSalesState, 0);
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_NE(ReadFile(sandbox.IniPath()).find("SCAN_FLAG=0\r\n"), std::string::npos);
  EXPECT_EQ(RunCycle().requests, 0u);  // the next cycles do nothing
}

TEST_F(WatchWorkerTest, NoMatchOrAFailedQueryShowsNothingAndStaysArmed) {
  Arm(kNothing);
  EXPECT_EQ(RunCycle().boxes, Boxes{});
  EXPECT_EQ(watchState.lastHitCount, -1);  // "NotFound" reads no count

  settings.scanKeyword = kWatch;
  mall->ArmFault("mode=status&code=404");
  const Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.boxes, Boxes{});
  EXPECT_EQ(cycle.requests, 1u);
  EXPECT_EQ(watchState.lastHitCount, -1);
  EXPECT_EQ(settings.scanFlag, 1);
}

TEST_F(WatchWorkerTest, ACountOfZeroInASuccessShowsNothingAndStaysArmed) {
  Arm(kNothing);
  mall->ArmFault("mode=success-for-not-found");
  const Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.requests, 1u);
  EXPECT_EQ(cycle.boxes, Boxes{});
  EXPECT_EQ(watchState.lastHitCount, 0);  // a count was read: zero
  EXPECT_EQ(settings.scanFlag, 1);
}

// The count a count query found does not count in time-sale mode: the badge alone decides.
TEST_F(WatchWorkerTest, ATimeSaleCycleAfterACountThatFoundItemsDecidesOnTheBadge) {
  Arm(kWallet);  // 5 items
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(watchState.lastHitCount, 5);
  Arm(kWallet, "", 1);  // another badge
  const Cycle cycle = RunCycle();
  EXPECT_EQ(cycle.requests, 1u);
  EXPECT_EQ(cycle.boxes, Boxes{});
  EXPECT_EQ(watchState.lastHitCount, 0);
  EXPECT_EQ(watchState.lastSalesState, 0);
  EXPECT_EQ(settings.scanFlag, 1);
}

TEST_F(WatchWorkerTest, TimeSaleModeDecidesOnTheBadgeAlone) {
  Arm(kWallet, "", 1);  // another badge
  EXPECT_EQ(RunCycle().boxes, Boxes{});
  EXPECT_EQ(watchState.lastSalesState, 0);
  EXPECT_EQ(watchState.lastHitCount, 0);
  settings.scanKeyword = kNothing;  // no marker at all
  EXPECT_EQ(RunCycle().boxes, Boxes{});
  EXPECT_EQ(settings.scanFlag, 1);

  settings.scanKeyword = kWatch;  // running
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(watchState.lastSalesState, 1);
  EXPECT_EQ(settings.scanFlag, 0);

  Arm(kFukubukuro, "", 1);  // ended: its own message, disarmed, no second message
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kTimeSaleEnded});
  EXPECT_EQ(watchState.lastSalesState, 2);
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_NE(ReadFile(sandbox.IniPath()).find("SCAN_FLAG=0\r\n"), std::string::npos);
}

TEST_F(WatchWorkerTest, TheCycleWaitsUntilItsMessageIsDismissed) {
  ui->SetBoxPolicy(HeadlessBackend::BoxPolicy::Hold);
  Arm(kWatch);
  const int pauses = driver->Pauses();
  driver->Release();
  // The worker stops at the open box, before it disarms.
  ASSERT_TRUE(ui->PumpUntil([] { return ui->OpenBoxes() == 1; }));
  EXPECT_EQ(settings.scanFlag, 1);
  EXPECT_EQ(driver->Pauses(), pauses);
  ui->DismissBox();
  driver->WaitUntilPaused();
  EXPECT_EQ(driver->Pauses(), pauses + 1);
  EXPECT_EQ(settings.scanFlag, 0);
}

// The hit list runs its own item search while the worker's count query waits for a silent
// server: it does not wait for that one to end.
TEST_F(WatchWorkerTest, TheHitListOpensAtOnceWhileTheCountQueryIsStalled) {
  const StalledCount stalled = OpenHitListWhileTheCountQueryStalls("/rws/", 3s);
  EXPECT_LT(stalled.opened, 1s);
  EXPECT_EQ(stalled.rows, 30u);
}

// The IchibaItem/Search service takes one request a second: the hit list waits for its turn, never
// for the count query that took the turn before it and is stalled.
TEST_F(WatchWorkerTest, TheHitListOpensWithinTheServiceIntervalWhileItsCountQueryIsStalled) {
  UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n");
  const StalledCount stalled = OpenHitListWhileTheCountQueryStalls("/ichibams/", 5s);
  EXPECT_LT(stalled.opened, 2s);
  EXPECT_EQ(stalled.rows, 30u);
}

TEST_F(WatchWorkerTest, DisarmingUnticksTheOpenSettingsDialogWithoutAClick) {
  Arm(kWatch);
  bool tickedWhenOpened = false, tickedAfterDisarm = true;
  ui->ScriptNextDialog([&](ui::headless::HeadlessDialog& dialog) {
    tickedWhenOpened = dialog.IsChecked(IDC_ALERT);
    // The worker's untick arrives while the modal loop runs.
    driver->RunCycle();
    tickedAfterDisarm = dialog.IsChecked(IDC_ALERT);
    dialog.PressEsc();
  });
  ShowSettingsDialog();
  EXPECT_TRUE(tickedWhenOpened);
  EXPECT_FALSE(tickedAfterDisarm);
  EXPECT_EQ(settings.scanFlag, 0);  // no click handler ran, and closing changed nothing
}

// The IchibaItem/Search service as fast as a test asks it, for as long as this lives, in a run
// that has seen no version retired.
struct FastService {
  explicit FastService(StandInMall& mall) : mall(mall) { mall.SetServiceMode("rate=off"); }
  ~FastService() { mall.SetServiceMode("rate=strict"); }
  StandInMall& mall;
  const ScopedOverride<std::chrono::milliseconds> interval{service::SetServiceIntervalForTesting,
                                                           std::chrono::milliseconds(0)};
  const ScopedOverride<service::VersionsSeen> versions{service::SetVersionsSeenForTesting, {}};
};

// The check log's lines without their time.
std::vector<std::string> LogLines(const std::string& path) {
  std::vector<std::string> lines;
  std::istringstream log(ReadFile(path));
  for (std::string line; std::getline(log, line);) lines.push_back(line.substr(22));
  return lines;
}

TEST_F(WatchWorkerTest, TimeSaleCyclesAreLoggedWithTheirVerdict) {
  WriteFile(sandbox.IniPath(), "[SERVICE]\r\nLOG=1\r\n");  // asked for; beside setting.ini
  LoadSettings();
  Arm(kWallet, "", 1);
  RunCycle();
  settings.scanKeyword = kNothing;
  RunCycle();
  settings.scanKeyword = kWatch;
  RunCycle();
  const std::string page = mall->Url("/search/mall?sitem=");
  EXPECT_EQ(LogLines(sandbox.dir().File("kobanu.log")),
            (std::vector<std::string>{
                "time sale | other badge | " + page + "%E8%B2%A1%E5%B8%83",
                "time sale | no badge | " + page + "%6E%6F%20%73%75%63%68%20%74%68%69%6E%67",
                "time sale | sale running | " + page + "%E8%85%95%E6%99%82%E8%A8%88"}));
}

// With a [SERVICE] section the same cycle asks the IchibaItem/Search service (over HTTPS where the
// tests' authority can be trusted); the worker cannot tell.
TEST_F(WatchWorkerTest, IchibaServiceAlertsOnACountAndLogsEveryCycle) {
  const int tlsPort = mall->TlsPort("good");
#ifdef KOBANU_HTTP_TEST_CA
  ASSERT_NE(tlsPort, 0);
#endif
  const std::string endpoint =
      tlsPort == 0 ? mall->Url(standin::kSearchPath20260701)
                   : "https://127.0.0.1:" + std::to_string(tlsPort) + standin::kSearchPath20260701;
  WriteFile(sandbox.IniPath(),
            std::string("[SERVICE]\r\nAPPLICATION_ID=") + standin::kApplicationId +
                "\r\nACCESS_KEY=" + standin::kAccessKey + "\r\nENDPOINT=" + endpoint + "\r\n");
  LoadSettings();
  const FastService fast(*mall);
  Arm(kWatch, "5000");
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(watchState.lastHitCount, 6);
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_EQ(RunCycle().requests, 0u);

  Arm(kNothing);
  EXPECT_EQ(RunCycle().boxes, Boxes{});
  EXPECT_EQ(watchState.lastHitCount, 0);

  // A key changed in the file (by the service window, say) counts from the next cycle on.
  std::string ini = ReadFile(sandbox.IniPath());
  ini.replace(ini.find(standin::kAccessKey), std::string(standin::kAccessKey).size(), "pk_wrong");
  WriteFile(sandbox.IniPath(), ini);
  settings.scanKeyword = kWatch;
  const Cycle refused = RunCycle();
  EXPECT_EQ(refused.boxes, Boxes{});
  EXPECT_EQ(refused.requests, 1u);
  EXPECT_EQ(watchState.lastHitCount, -1);
  EXPECT_EQ(settings.scanFlag, 1);

  settings.scanPrice = "abc";
  RunCycle();
  settings.scanFlag = 0;
  RunCycle();

  std::vector<std::string> outcomes;
  for (const std::string& line : LogLines(sandbox.dir().File("kobanu.log"))) {
    outcomes.push_back(line.substr(0, std::min(line.rfind(" | "), line.find(" — "))));
  }
  EXPECT_EQ(outcomes, (std::vector<std::string>{
                          "count | count 6", "count | skipped: disarmed", "count | nothing found",
                          "count | service error 403: Invalid Access Key",
                          "count | skipped: bad price", "count | skipped: disarmed"}));
}

// A setting.ini written for the version retired in August 2026, or one that names none: the
// count still alerts, through the current version, and the log says what to change.
TEST_F(WatchWorkerTest, ARetiredVersionStillAlertsThroughTheCurrentOne) {
  const FastService fast(*mall);
  UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20220601) + "\r\n");
  Arm(kWatch);
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(watchState.lastHitCount, 38);
  const std::string logged = LogLines(sandbox.dir().File("kobanu.log")).back();
  EXPECT_NE(logged.find("版 20220601 は廃止されているため 20260701 に問い合わせました"),
            std::string::npos)
      << logged;
  EXPECT_EQ(mall->RequestLines().back().find(std::string("GET ") + standin::kSearchPath20260701),
            0u);

  UseService("");  // the default address, here the stand-in's
  Arm(kWatch);
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(mall->RequestLines().back().find(std::string("GET ") + standin::kSearchPath20260701),
            0u);
}

// With [SERVICE] the time-sale mode decides on the hits' sale windows, whatever the machine's
// zone (ctest runs this test in UTC and in New York time as well).
TEST_F(WatchWorkerTest, TimeSaleModeWithTheIchibaServiceDecidesOnTheHitsWindows) {
  const FastService fast(*mall);
  UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n");
  const size_t pages = mall->RequestLines().size();
  Arm(kFukubukuro, "", 1);  // a sale that ended half an hour ago
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kTimeSaleEnded});
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_EQ(watchState.lastSalesState, 2);
  Arm(kWatch, "", 1);  // a sale running
  EXPECT_EQ(RunCycle().boxes, Boxes{texts::kConditionMet});
  EXPECT_EQ(settings.scanFlag, 0);
  for (const std::string& keyword : {kWallet, kMug}) {  // ended two hours ago; none at all
    Arm(keyword, "", 1);
    EXPECT_EQ(RunCycle().boxes, Boxes{});
    EXPECT_EQ(settings.scanFlag, 1);
  }
  for (size_t i = pages; i < mall->RequestLines().size(); ++i) {
    EXPECT_EQ(mall->RequestLines()[i].find("/search/mall"), std::string::npos);
  }
}

// SZ100's bands and film undercut the watch itself (9,480 yen, postage apart): the narrowing
// decides whether a cycle alerts, and the notice beside the box names what matched.
TEST_F(WatchWorkerTest, TheNarrowingDecidesWhetherAnAccessoryAlerts) {
  const FastService fast(*mall);
  struct Case {
    std::string price;
    std::string lines;  // of [SERVICE]
    bool alerts;
    size_t requests;
  };
  for (const Case& c : std::vector<Case>{
           {"9000", "", true, 1},  // the film, at 380 yen
           {"9000", "MIN_PRICE=6000\r\n", false, 1},
           {"10000", "MIN_PRICE=6000\r\n", true, 1},
           {"9000", kWatchAlone, false, 1},
           {"10000", kWatchAlone, true, 1},
           {"10000", kWatchAlone + "POSTAGE_INCLUDED=1\r\n", false, 1},
           {"10000", "MIN_PRICE=10000\r\n", false, 0},
       }) {
    UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n" + c.lines);
    Arm(kSmartWatch, c.price);
    tray->TakeStatus();
    const Cycle cycle = RunCycle();
    EXPECT_EQ(cycle.boxes, c.alerts ? Boxes{texts::kConditionMet} : Boxes{}) << c.lines;
    EXPECT_EQ(cycle.requests, c.requests) << c.lines;
    EXPECT_EQ(settings.scanFlag, c.alerts ? 0 : 1) << c.lines;
    EXPECT_EQ(tray->TakeStatus().notice.empty(), !c.alerts) << c.lines;
  }
  UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n" + kWatchAlone);
  Arm(kSmartWatch, "10000");
  RunCycle();
  const worker::CheckStatus alert = tray->TakeStatus();
  EXPECT_EQ(alert.tipLine.substr(6), "該当 1件 最安 9,480円");
  EXPECT_EQ(alert.noticeKind, worker::CheckStatus::Notice::kMatch);
  EXPECT_EQ(alert.notice,
            "ソラノ SZ100 スマートウォッチ 本体 ホワイト 箱なし\n9,480円 送料別 スマート&ギア");
  EXPECT_EQ(alert.noticeAddress, "http://" + mall->host() + "/item/smartgear:50000002");
}

// With [SERVICE] the tray shows what the last check came to, and tells once when three in a row
// fail for the same cause; not again until one succeeds or the cause changes.
TEST_F(WatchWorkerTest, TheTrayHearsOfEachCheckAndOnceOfThreeFailuresInARow) {
  const FastService fast(*mall);
  // The cycle reads [SERVICE] anew; the alert stays armed for nothing to be found.
  const auto useKey = [&](const std::string& key) {
    UseService("ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n");
    Arm(kNothing);
    std::string ini = ReadFile(sandbox.IniPath());
    ini.replace(ini.find(standin::kAccessKey), std::string(standin::kAccessKey).size(), key);
    WriteFile(sandbox.IniPath(), ini);
  };
  const auto isClockTime = [](const std::string& line) {
    return line.size() > 6 && line[2] == ':' && line[5] == ' ';
  };
  useKey(standin::kAccessKey);
  tray->TakeStatus();  // a notice an earlier test's alert left
  RunCycle();
  worker::CheckStatus status = tray->TakeStatus();
  EXPECT_TRUE(isClockTime(status.tipLine)) << status.tipLine;
  EXPECT_EQ(status.tipLine.substr(6), "該当なし");
  EXPECT_EQ(status.notice, "");

  useKey("pk_wrong");
  std::vector<std::string> notices;
  for (int cycle = 0; cycle < 5; ++cycle) {
    RunCycle();
    status = tray->TakeStatus();
    notices.push_back(status.notice);
  }
  EXPECT_EQ(status.tipLine.substr(6), "確認できません: アプリIDかアクセスキーが違います");
  EXPECT_EQ(notices[0] + notices[1] + notices[3] + notices[4], "");
  EXPECT_EQ(notices[2].find("確認できません: アプリIDかアクセスキーが違います\n原因: アプリID"), 0u)
      << notices[2];
  EXPECT_NE(notices[2].find("\n対処: "), std::string::npos);

  // Another cause counts anew; a success ends the run.
  mall->SetServiceMode("deny=ip");
  useKey(standin::kAccessKey);
  for (int cycle = 0; cycle < 3; ++cycle) RunCycle();
  EXPECT_NE(tray->TakeStatus().notice.find("登録IPと異なります"), std::string::npos);
  mall->SetServiceMode("deny=none");
  RunCycle();
  useKey("pk_wrong");
  RunCycle();
  RunCycle();
  EXPECT_EQ(tray->TakeStatus().notice, "");

  // Without [SERVICE] the tip has no second line.
  WriteFile(sandbox.IniPath(), "");
  Arm(kNothing);
  RunCycle();
  EXPECT_EQ(tray->TakeStatus().tipLine, "");
}

// With PRICE_HISTORY=1 each hour's cheapest match (narrowed, without the ceiling) is a row, also
// while the alert is off, and a failed hour is a row with its outcome. An armed check without a
// ceiling asks the same question and serves the row; with a ceiling the row costs a request.
TEST_F(WatchWorkerTest, EveryHourRecordsTheCheapestMatchWhenAskedTo) {
  const FastService fast(*mall);
  const std::string service =
      "ENDPOINT=" + mall->Url(standin::kSearchPath20260701) + "\r\n" + kWatchAlone;
  const auto disarmed = [&](const std::string& lines) {
    UseService(lines);
    Arm(kSmartWatch);
    settings.scanFlag = 0;
  };
  disarmed(service);
  EXPECT_EQ(RunCycle().requests, 0u);  // without the switch: no question and no file
  EXPECT_FALSE(service::ReadPriceHistory());

  disarmed(service + "PRICE_HISTORY=1\r\n");
  std::vector<std::optional<int64_t>> expected;
  for (int hour = 0; hour < 48; ++hour) {
    const int markup = hour * 37 % 500;  // moves the stand-in's prices from hour to hour
    const bool failing = hour == 20;
    mall->SetServiceMode("markup=" + std::to_string(markup) +
                         (failing ? "&fail=503" : "&fail=none"));
    const Cycle cycle = RunCycle();
    EXPECT_EQ(cycle.boxes, Boxes{});
    EXPECT_EQ(cycle.requests, 1u) << hour;
    expected.push_back(failing ? std::nullopt : std::optional<int64_t>(9480 + markup));
  }
  mall->SetServiceMode("markup=0&fail=none");
  struct Armed {
    std::string price;
    size_t requests;
    Boxes boxes;
  };
  for (const Armed& armed : {Armed{"", 1, {texts::kConditionMet}}, Armed{"9000", 2, {}}}) {
    Arm(kSmartWatch, armed.price);
    const Cycle cycle = RunCycle();
    EXPECT_EQ(cycle.requests, armed.requests) << armed.price;
    EXPECT_EQ(cycle.boxes, armed.boxes) << armed.price;
    expected.push_back(9480);
  }

  const auto rows = service::ReadPriceHistory();
  ASSERT_TRUE(rows);
  ASSERT_EQ(rows->size(), expected.size());
  for (size_t i = 0; i < rows->size(); ++i) {
    const service::PriceRecord& row = (*rows)[i];
    EXPECT_EQ(row.price, expected[i]) << i;
    EXPECT_EQ(row.keyword, "SZ100");
    if (expected[i]) {
      EXPECT_EQ(row.count, 2) << i;
      EXPECT_EQ(row.outcome, "count 2") << i;
      EXPECT_EQ(row.name, "ソラノ SZ100 スマートウォッチ 本体 ホワイト 箱なし");
    } else {
      EXPECT_EQ(row.count, std::nullopt);
      EXPECT_TRUE(row.outcome.starts_with("service error 503")) << row.outcome;
    }
  }
}

}  // namespace
