#include "desktop/hit_list_dialog.h"

#include "platform/codepage/codepage.h"
#include "res/resource.h"
#include "support/mall_keywords.h"
#include "support/standin_mall/service_keys.h"
#include "ui/desktop_fixture.h"

namespace {

using testing_support::HeadlessDialog;

using testing_support::kWatch;

class HitListTest : public testing_support::DesktopTest {
 protected:
  HitListTest() { settings.scanKeyword = kWatch; }
  INT_PTR Show(std::function<void(HeadlessDialog&)> script) {
    ui.ScriptNextDialog(std::move(script));
    CMainDlg dialog;
    return dialog.DoModal();
  }
  const HitTable& table = watchState.hitTable;
  CWinApp app;
};

TEST_F(HitListTest, ListsThirtyHitsInTableOrderInSixColumns) {
  Show([&](HeadlessDialog& d) {
    const std::vector<std::pair<std::string, int>> columns{{"タイトル", 240},    {"価格", 50},
                                                           {"ポイント倍付", 70}, {"ショップ名", 80},
                                                           {"商品コード", 60},   {"index", 30}};
    ASSERT_EQ(d.Columns(IDC_HITLIST).size(), columns.size());
    for (size_t i = 0; i < columns.size(); ++i) {
      EXPECT_EQ(d.Columns(IDC_HITLIST)[i].title, columns[i].first);
      EXPECT_EQ(d.Columns(IDC_HITLIST)[i].width, columns[i].second);
    }
    EXPECT_EQ(d.GetExtendedStyle(IDC_HITLIST), LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
    const auto rows = d.Items(IDC_HITLIST);
    ASSERT_EQ(rows.size(), 30u);
    EXPECT_EQ(rows[0],
              (std::vector<std::string>{table.itemName[0], table.itemPrice[0], table.pointRate[0],
                                        table.shopName[0], table.itemCode[0], "0"}));
    EXPECT_NE(rows[0][0].find(kWatch), std::string::npos);  // the cheapest hit on top
    for (size_t i = 0; i < 30; ++i) EXPECT_EQ(rows[i][5], std::to_string(i));
    d.PressEnter();
  });
  EXPECT_EQ(watchState.hitListPrimed, 0);
}

// With a [SERVICE] section the rows come from the IchibaItem/Search service's JSON; the dialog
// cannot tell.
TEST_F(HitListTest, TodaysServiceFillsTheSameThirtyRows) {
  testing_support::WriteFile(
      sandbox.IniPath(),
      std::string("[SERVICE]\r\nAPPLICATION_ID=") + standin::kApplicationId +
          "\r\nACCESS_KEY=" + standin::kAccessKey +
          "\r\nAFFILIATE_ID=af.01\r\nENDPOINT=" + mall.Url(standin::kSearchPath20260701) + "\r\n");
  std::vector<std::vector<std::string>> rows;
  Show([&](HeadlessDialog& d) {
    rows = d.Items(IDC_HITLIST);
    d.DoubleClick(IDC_HITLIST);
    d.PressEnter();
  });
  ASSERT_EQ(rows.size(), 30u);
  EXPECT_NE(rows[0][0].find(kWatch), std::string::npos);
  EXPECT_EQ(rows[0][1], "1480");
  EXPECT_EQ(rows[29][5], "29");
  ASSERT_EQ(ui.OpenedAddresses().size(), 1u);
  EXPECT_NE(ui.OpenedAddresses()[0].find("?scid=af_af.01&sc2id=1"), std::string::npos);
  EXPECT_NE(mall.RequestLines().back().find("accessKey=****&affiliateId=af.01"), std::string::npos);
}

// With [SERVICE] a search that failed says why in a box over the settings dialog, instead of
// an empty list; without it the list opens empty, as it always has.
TEST_F(HitListTest, WithTodaysServiceAFailedSearchSaysWhyInsteadOfAnEmptyList) {
  testing_support::WriteFile(
      sandbox.IniPath(),
      std::string("[SERVICE]\r\nAPPLICATION_ID=") + standin::kApplicationId +
          "\r\nACCESS_KEY=pk_wrong\r\nENDPOINT=" + mall.Url(standin::kSearchPath20260701) + "\r\n");
  EXPECT_EQ(CMainDlg().DoModal(), IDCANCEL);  // no dialog was shown: none was scripted
  ASSERT_EQ(ui.MessageBoxTexts().size(), 1u);
  EXPECT_EQ(
      ui.MessageBoxTexts()[0].find("ヒットしたリストを取得できませんでした。\n\n"
                                   "確認できません: アプリIDかアクセスキーが違います\n原因: "),
      0u)
      << ui.MessageBoxTexts()[0];

  testing_support::WriteFile(sandbox.IniPath(), "");
  mall.ArmFault("mode=status&code=503");
  size_t rows = 99;
  Show([&](HeadlessDialog& d) {
    rows = d.Items(IDC_HITLIST).size();
    d.PressEnter();
  });
  EXPECT_EQ(rows, 0u);
  EXPECT_EQ(ui.MessageBoxTexts().size(), 1u);
}

TEST_F(HitListTest, DoubleClickOpensTheLowestSelectedRowOrElseTheRememberedOne) {
  std::vector<std::string> expected;
  Show([&](HeadlessDialog& d) {
    d.DoubleClick(IDC_HITLIST);  // nothing selected yet: row 0
    d.SelectItems(IDC_HITLIST, {2, 5});
    d.DoubleClick(IDC_HITLIST);
    d.SelectItems(IDC_HITLIST, {});
    d.DoubleClick(IDC_HITLIST);  // the remembered row again
    expected = {table.affiliateUrl[0], table.affiliateUrl[5], table.affiliateUrl[5]};
    d.PressEsc();
  });
  EXPECT_EQ(ui.OpenedAddresses(), expected);
  EXPECT_EQ(ui.OpenedAddresses()[0].rfind("http://" + mall.host() + "/item/", 0), 0u);
  // Esc: the destructor still resets the toggle, so the next showing searches again.
  EXPECT_EQ(watchState.hitListPrimed, 0);
  const size_t requests = Requests();
  settings.scanKeyword = "no such thing";
  Show([&](HeadlessDialog& d) {
    EXPECT_TRUE(d.Items(IDC_HITLIST).empty());
    d.DoubleClick(IDC_HITLIST);  // nothing listed: nothing opens
    d.PressEnter();
  });
  EXPECT_EQ(Requests(), requests + 1);
  EXPECT_EQ(ui.OpenedAddresses().size(), 3u);
  EXPECT_EQ(watchState.hitListSelectedRow, 5);  // kept across showings
}

// A name of 100,000 more characters: the cell shows 259 of them, as a Windows list view does,
// while the table and the address that opens keep every byte.
TEST_F(HitListTest, ACellShowsAtMost259CharactersOfItsText) {
  mall.ArmFault("mode=long-fields&chars=100000");
  std::string shown;
  Show([&](HeadlessDialog& d) {
    const auto rows = d.Items(IDC_HITLIST);
    ASSERT_EQ(rows.size(), 30u);
    shown = rows[0][0];
    EXPECT_EQ(rows[0][5], "0");
    d.SelectItems(IDC_HITLIST, {0});
    d.DoubleClick(IDC_HITLIST);
    d.PressEsc();
  });
  EXPECT_EQ(platform::AnsiToWide(shown).size(), 259u);
  EXPECT_TRUE(table.itemName[0].starts_with(shown));
  EXPECT_TRUE(table.itemName[0].ends_with("\x92\xB7"));  // 長, the last of the 100,000
  EXPECT_GT(table.itemName[0].size(), 200'000u);
  EXPECT_TRUE(table.affiliateUrl[0].ends_with(std::string(100'000, 'x')));
  EXPECT_EQ(ui.OpenedAddresses(), std::vector<std::string>{table.affiliateUrl[0]});
}

TEST_F(HitListTest, OnlyWebAddressesFromTheServiceReachTheBrowser) {
  Show([&](HeadlessDialog& d) {
    // What a hostile answer could have put into the table.
    const std::string addresses[] = {"javascript:alert(1)", "file:///etc/passwd", "xterm -e sh",
                                     ""};
    for (size_t row = 0; row < std::size(addresses); ++row) {
      watchState.hitTable.affiliateUrl[row] = addresses[row];
      d.SelectItems(IDC_HITLIST, {static_cast<int>(row)});
      d.DoubleClick(IDC_HITLIST);
    }
    d.PressEsc();
  });
  EXPECT_TRUE(ui.OpenedAddresses().empty());
}

TEST_F(HitListTest, AnEmptyKeywordListsNothingAndSendsNothing) {
  settings.scanKeyword = "";
  const size_t requests = Requests();
  Show([&](HeadlessDialog& d) {
    EXPECT_EQ(d.Columns(IDC_HITLIST).size(), 6u);
    EXPECT_TRUE(d.Items(IDC_HITLIST).empty());
    d.DoubleClick(IDC_HITLIST);
    d.PressEnter();
  });
  EXPECT_EQ(Requests(), requests);
  EXPECT_TRUE(ui.OpenedAddresses().empty());
}

}  // namespace
