#include "desktop/price_history_dialog.h"

#include <string>
#include <vector>

#include "app/kobanu_app.h"
#include "platform/logfile/log_file.h"
#include "res/resource.h"
#include "service/price_history.h"
#include "service/text_encoding.h"
#include "settings/settings_file.h"
#include "ui/desktop_fixture.h"
#include "worker/check_status.h"

namespace {

using testing_support::HeadlessDialog;
using testing_support::WriteFile;
using ui::headless::DrawOp;

constexpr int64_t kHour = 60;
constexpr int64_t kDay = 24 * kHour;
const std::string kRecording =
    "[SERVICE]\r\nAPPLICATION_ID=a\r\nACCESS_KEY=pk_k\r\nPRICE_HISTORY=1\r\n";

int64_t Now() { return *service::MinutesOf(platform::LocalTimeText().substr(0, 16)); }

std::string Utf8(const std::string& ansi) { return AnsiToUtf8(ansi.c_str()); }

service::PriceRecord Row(const std::string& keyword, int64_t at, std::optional<int64_t> yen) {
  return {.time = service::TimeOfMinutes(at),
          .keyword = keyword,
          .count = yen ? std::optional<int64_t>(6) : std::nullopt,
          .price = yen,
          .name = "n",
          .address = "https://item.rakuten.co.jp/x/1/",
          .outcome = yen ? "count 6" : "network error: timeout"};
}

std::vector<std::string> TextsDrawn(const std::vector<DrawOp>& ops) {
  std::vector<std::string> texts;
  for (const DrawOp& op : ops) {
    if (op.kind == DrawOp::Kind::kText) texts.push_back(op.text);
  }
  return texts;
}

bool Drew(const std::vector<DrawOp>& ops, const std::string& text) {
  const std::vector<std::string> texts = TextsDrawn(ops);
  return std::find(texts.begin(), texts.end(), text) != texts.end();
}

class PriceHistoryDialogTest : public testing_support::DesktopTest {
 protected:
  void WriteSettings(const std::string& service) {
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_PRICE=10000\r\n" + service);
    LoadSettings();
  }
  void WriteHistory(const std::vector<service::PriceRecord>& rows) {
    std::string text = "\xEF\xBB\xBF" + std::string(service::kPriceHistoryHeader) + "\r\n";
    for (const service::PriceRecord& row : rows) text += service::PriceRow(row);
    WriteFile(service::PriceHistoryPath(), text);
  }
  INT_PTR Show(std::function<void(HeadlessDialog&)> script) {
    CWinApp app;
    ui.ScriptNextDialog(std::move(script));
    CPriceHistoryDialog dialog;
    return dialog.DoModal();
  }
};

// The keyword asked last, its prices over the period chosen (seven days at first), the ceiling,
// and its last row in words; another choice draws the chart again over its period.
TEST_F(PriceHistoryDialogTest, TheLastKeywordsPricesOverThePeriodChosen) {
  WriteSettings(kRecording);
  const int64_t now = Now();
  std::vector<service::PriceRecord> rows = {
      Row("財布", now - 40 * kDay, 3980)};  // an earlier keyword
  for (int64_t at = now - 40 * kDay + kHour; at <= now; at += kHour) {
    rows.push_back(Row("腕時計", at, at == now - 5 * kHour ? std::nullopt : std::optional(9800)));
  }
  WriteHistory(rows);
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              EXPECT_EQ(Utf8(d.Text(IDC_HISTORY_KEYWORD)), "腕時計 の最安値");
              EXPECT_EQ(Utf8(d.Text(IDC_HISTORY_LAST)), DescribeRow(rows.back()));
              EXPECT_TRUE(d.IsChecked(IDC_HISTORY_WEEK));
              const std::vector<DrawOp> week = d.Paint(IDC_HISTORY_CHART);
              EXPECT_TRUE(Drew(week, "上限 10,000円"));
              EXPECT_FALSE(Drew(week, "3,980円"));  // 財布's price is not on the scale
              const COLORREF blue = ColorOf(Ink::kPrice);
              EXPECT_GT(std::count_if(week.begin(), week.end(),
                                      [&](const DrawOp& op) { return op.color == blue; }),
                        100);

              const int before = d.Invalidations(IDC_HISTORY_CHART);
              d.Click(IDC_HISTORY_YEAR);
              EXPECT_EQ(d.Invalidations(IDC_HISTORY_CHART), before + 1);
              const std::vector<std::string> year = TextsDrawn(d.Paint(IDC_HISTORY_CHART));
              EXPECT_TRUE(std::any_of(year.begin(), year.end(),
                                      [](const std::string& t) { return t.ends_with("月"); }));
              EXPECT_FALSE(d.IsChecked(IDC_HISTORY_WEEK));
              d.PressEnter();
            }),
            IDOK);
}

// Nothing recorded yet: the chart says so, and the window says how to begin while recording is
// off.
TEST_F(PriceHistoryDialogTest, WithoutAHistoryTheWindowSaysHowToRecord) {
  for (const std::string& service : {std::string(), kRecording}) {
    WriteSettings(service);
    Show([&](HeadlessDialog& d) {
      EXPECT_EQ(TextsDrawn(d.Paint(IDC_HISTORY_CHART)),
                std::vector<std::string>{"価格の記録はまだありません"});
      EXPECT_EQ(Utf8(d.Text(IDC_HISTORY_LAST)),
                service.empty()
                    ? "サービス設定の「価格を記録する」で、1時間ごとに最安値を記録します"
                    : "");
      EXPECT_EQ(d.Text(IDC_HISTORY_KEYWORD), "");
      d.PressEsc();
    });
  }
}

class TrayPriceHistoryTest : public PriceHistoryDialogTest {
 protected:
  std::vector<std::string> HostMenu() {
    std::vector<std::string> items;
    for (const MenuItemTemplate& item : ui.CurrentTrayIcon().menu->items) {
      items.push_back(item.text != nullptr ? item.text : "-");
    }
    return items;
  }
};

// 価格の推移 is in the tray menu only while [SERVICE] records prices; otherwise the menu is the
// described one and the command opens nothing.
TEST_F(TrayPriceHistoryTest, TheMenuOffersTheChartOnlyWhilePricesAreRecorded) {
  const std::vector<std::string> described = {"ダイアログを開く", "-", "終了"};
  for (const auto& [service, menu] : std::vector<std::pair<std::string, std::vector<std::string>>>{
           {"", described},
           {"[SERVICE]\r\nPRICE_HISTORY=1\r\n", described},
           {"[SERVICE]\r\nAPPLICATION_ID=a\r\nACCESS_KEY=pk_k\r\nPRICE_HISTORY=0\r\n", described},
           {kRecording, {"ダイアログを開く", "価格の推移", "-", "終了"}}}) {
    WriteSettings(service);
    ui::headless::InstallHeadlessBackend();  // fresh for each start
    CKobanuApp kobanu;
    ASSERT_TRUE(kobanu.InitInstance());
    EXPECT_EQ(HostMenu(), menu) << service;
    const bool offered = menu != described;
    if (offered) {
      ui.ScriptNextDialog([](HeadlessDialog& d) {
        EXPECT_EQ(d.Template().id, IDD_PRICE_HISTORY);
        d.PressEsc();
      });
      EXPECT_TRUE(ui.ChooseInHostMenu("価格の推移"));
    } else {
      ui.Post([] { ui::DeliverTrayMenuCommand(ID_TRAY_PRICE_HISTORY); });
    }
    ui.ScriptMenus([](const MenuTemplate& m, POINT) {
      EXPECT_EQ(m.items.size(), m.id == IDR_TRAY_MENU_HISTORY ? 4u : 3u);
      return ID_TRAY_EXIT;
    });
    ui.PressTrayIcon(WM_RBUTTONDOWN);
    EXPECT_EQ(kobanu.Run(), 0);
    EXPECT_EQ(ui.TrackedMenus().back().menuId, offered ? IDR_TRAY_MENU_HISTORY : IDR_TRAY_MENU);
    EXPECT_EQ(ui.UnscriptedDialogs(), 0) << service;
  }
}

// Ticked in the service window while Kobanu runs, the entry comes with the next check.
TEST_F(TrayPriceHistoryTest, TheEntryComesWithTheCheckAfterTheSwitch) {
  WriteSettings("[SERVICE]\r\nAPPLICATION_ID=a\r\nACCESS_KEY=pk_k\r\n");
  worker::NoteCheckStatus(std::nullopt);  // whatever an earlier test left
  CKobanuApp kobanu;
  ASSERT_TRUE(kobanu.InitInstance());
  EXPECT_EQ(HostMenu().size(), 3u);
  WriteSettings(kRecording);  // as the service window saves it; the worker reads it at its check
  worker::NoteCheckStatus(service::Counted(6, "https://x/"));
  ASSERT_TRUE(ui.PumpUntil([&] { return HostMenu().size() == 4; }));
  ui.ScriptMenus([](const MenuTemplate&, POINT) { return ID_TRAY_EXIT; });
  ui.PressTrayIcon(WM_RBUTTONDOWN);
  EXPECT_EQ(kobanu.Run(), 0);
  worker::NoteCheckStatus(std::nullopt);  // as later tests expect to find it
}

}  // namespace
