#include "desktop/settings_dialog.h"

#include <thread>

#include "res/resource.h"
#include "service/described/service_ids.h"
#include "settings/settings_file.h"
#include "support/mall_keywords.h"
#include "ui/desktop_fixture.h"

namespace {

using testing_support::HeadlessBackend;
using testing_support::HeadlessDialog;

using testing_support::kWatch;
const std::string kNotNumber = "数値以外のデータがあります！！";
const std::string kNegative = "負のデータがあります！！";

class SettingsDialogTest : public testing_support::DesktopTest {
 protected:
  // Shows the dialog as the tray command does, with a script in its modal loop.
  INT_PTR Show(HeadlessBackend::DialogScript script) {
    ui.ScriptNextDialog(std::move(script));
    return ShowSettingsDialog();
  }
  CWinApp app;
};

TEST_F(SettingsDialogTest, OpensWithTheSettingsAndClosesWithoutWritingBack) {
  Show([&](HeadlessDialog& d) {
    for (int id : {IDC_ALERT, IDC_ZAIKO, IDC_TIMESALE}) EXPECT_FALSE(d.IsChecked(id));
    EXPECT_EQ(d.Text(IDC_KEYWORD), "");
    EXPECT_EQ(d.Text(IDC_PRICE), "");
    EXPECT_EQ(watchState.settingsDialogPrimed, 1);
    d.PressEnter();
    EXPECT_EQ(watchState.settingsDialogPrimed, 0);  // the OK exchange clears it
  });
  EXPECT_TRUE(ui.MessageBoxes().empty());

  settings.scanFlag = 2;
  settings.scanTimesale = 1;
  settings.scanKeyword = kWatch;
  settings.scanPrice = "5000";
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              EXPECT_TRUE(d.IsChecked(IDC_ALERT));
              EXPECT_FALSE(d.IsChecked(IDC_ZAIKO));
              EXPECT_TRUE(d.IsChecked(IDC_TIMESALE));
              EXPECT_EQ(d.Text(IDC_KEYWORD), kWatch);
              EXPECT_EQ(d.Text(IDC_PRICE), "5000");
              d.Click(IDC_ALERT);
              EXPECT_EQ(settings.scanFlag, 0);
              d.Click(IDC_ALERT);
              d.Click(IDC_ZAIKO);
              d.PressEnter();
            }),
            IDOK);
  EXPECT_EQ(settings.scanFlag, 1);  // a stored 2, unticked and ticked again
  EXPECT_EQ(settings.scanZaiko, 1);
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_TRUE(ui.MessageBoxes().empty());

  // The next showing is a fresh window again.
  settings.scanFlag = 0;
  settings.scanZaiko = 0;
  Show([&](HeadlessDialog& d) {
    EXPECT_FALSE(d.IsChecked(IDC_ALERT));
    EXPECT_FALSE(d.IsChecked(IDC_ZAIKO));
    d.PressEsc();
  });
}

TEST_F(SettingsDialogTest, AStoredBadPriceWarnsWhileTheDialogOpens) {
  settings.scanPrice = "abc";
  Show([&](HeadlessDialog& d) {
    EXPECT_EQ(ui.MessageBoxTexts(), std::vector<std::string>{kNotNumber});
    EXPECT_EQ(d.Text(IDC_PRICE), "abc");
    d.PressEsc();
  });
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "kobanu");  // the sandbox's executable name
}

TEST_F(SettingsDialogTest, EachPriceChangeIsCheckedAndKeptAsTyped) {
  Show([&](HeadlessDialog& d) {
    d.Type(IDC_PRICE, "-5");
    EXPECT_EQ(ui.MessageBoxTexts(), (std::vector<std::string>{kNotNumber, kNegative}));
    EXPECT_EQ(std::string(settings.scanPrice), "-5");

    const std::pair<std::string, int> cases[] = {
        {"1e3", 0},        {"  100", 0}, {"-0", 0}, {"", 0},    {"100 ", 2},
        {"12\x89\x7E", 2}, {"1,000", 2}, {"-1", 1}, {"abc", 2},
    };
    for (const auto& [text, verdict] : cases) {
      const size_t before = ui.MessageBoxes().size();
      d.Paste(IDC_PRICE, text);
      EXPECT_EQ(ui.MessageBoxes().size() - before, verdict == 0 ? 0u : 1u) << text;
      if (verdict != 0) {
        EXPECT_EQ(ui.MessageBoxTexts().back(), verdict == 1 ? kNegative : kNotNumber);
      }
      EXPECT_EQ(std::string(settings.scanPrice), text);
    }
    d.PressEsc();
  });
}

// As a single-line edit keeps only the first line of a paste, no other key reaches the file.
TEST_F(SettingsDialogTest, APasteOfSeveralLinesKeepsTheFirstLine) {
  settings.scanPrice = "100";
  Show([&](HeadlessDialog& d) {
    d.Paste(IDC_KEYWORD, "a\n[OTHER]\nSCAN_PRICE=oops");
    EXPECT_EQ(d.Text(IDC_KEYWORD), "a");
    d.Paste(IDC_PRICE, "5000\r\nSCAN_FLAG=1");
    EXPECT_EQ(d.Text(IDC_PRICE), "5000");
    d.PressEsc();
  });
  EXPECT_TRUE(ui.MessageBoxes().empty());
  SaveSettings();
  testing_support::ResetSettings();
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), "a");
  EXPECT_EQ(std::string(settings.scanPrice), "5000");
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_EQ(testing_support::ReadFile(sandbox.IniPath()).find("OTHER"), std::string::npos);
}

TEST_F(SettingsDialogTest, EscKeepsEveryChange) {
  EXPECT_EQ(Show([&](HeadlessDialog& d) {
              d.Type(IDC_KEYWORD, kWatch);
              d.Click(IDC_TIMESALE);
              d.PressEsc();
            }),
            IDCANCEL);
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_EQ(settings.scanTimesale, 1);
}

TEST_F(SettingsDialogTest, TheWorkersDisarmUnticksTheBoxWithoutAClickAndClosingKeepsItOff) {
  settings.scanFlag = 1;
  std::thread worker;
  Show([&](HeadlessDialog& d) {
    ASSERT_TRUE(d.IsChecked(IDC_ALERT));
    worker = std::thread([&] {
      // The worker's disarm, word for word; scanFlag is left at 1 so that a click would show.
      if (watchState.settingsDialogOpen) {
        settingsDialog.m_checkAlert.SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
      }
      ui.Post([&] {
        EXPECT_FALSE(d.IsChecked(IDC_ALERT));
        EXPECT_EQ(settings.scanFlag, 1);  // no click notification ran
        settings.scanFlag = 0;
        d.PressEnter();
      });
    });
  });
  worker.join();
  EXPECT_EQ(settings.scanFlag, 0);  // the closing exchange wrote nothing back

  // With the dialog closed the same call returns at once and does nothing.
  std::thread late([&] { settingsDialog.m_checkAlert.SendMessage(BM_SETCHECK, BST_CHECKED, 0); });
  late.join();
  EXPECT_EQ(settingsDialog.m_checkAlert.m_hWnd, nullptr);
}

TEST_F(SettingsDialogTest, TheLinkButtonsOpenTheirConstantPages) {
  Show([&](HeadlessDialog& d) {
    d.Click(IDC_WEBSERVICE);
    d.Click(IDC_JUMP_ICHIBA);
    d.Click(IDC_JUMP_TIMESALE);
    d.PressEsc();
  });
  const std::vector<std::string> expected{kWebServiceAddress, kIchibaAddress, kTimeSaleAddress};
  EXPECT_EQ(ui.OpenedAddresses(), expected);
  for (const std::string link : {kIchibaAddress, kTimeSaleAddress}) {
    EXPECT_EQ(link.find(std::string("https://hb.afl.rakuten.co.jp/hgc/") + kAffiliateId + "/?pc="),
              0u);
    EXPECT_NE(link.find("&m=https%3A%2F%2Fm.rakuten.co.jp%2F"), std::string::npos);
  }
}

TEST_F(SettingsDialogTest, TheHitListSearchesWithTheKeywordJustTypedAndDisablesTheDialog) {
  Show([&](HeadlessDialog& d) {
    d.Type(IDC_KEYWORD, "w");
    ui.ScriptNextDialog([&](HeadlessDialog& hits) {
      EXPECT_FALSE(d.IsEnabled());
      EXPECT_EQ(hits.Template().id, IDD_HITLIST);
      hits.PressEnter();
    });
    d.Click(IDC_SHOW_HITS);
    EXPECT_TRUE(d.IsEnabled());
    d.PressEsc();
  });
  ASSERT_FALSE(mall.RequestLines().empty());
  EXPECT_NE(mall.RequestLines().back().find("&keyword=%77&"), std::string::npos)
      << mall.RequestLines().back();
}

}  // namespace
