#include "hitlist/hit_list_dialog.h"

#include "res/resource.h"
#include "ui/desktop_fixture.h"
#include "ui/item_search_answer.h"
#include "ui/pending_stubs.h"

namespace {

using testing_support::HeadlessDialog;
using testing_support::ItemSearchAnswer;

class HitListTest : public testing_support::DesktopTest {
 protected:
  HitListTest() { settings.scanKeyword = "w"; }
  INT_PTR Show(std::function<void(HeadlessDialog&)> script) {
    ui.ScriptNextDialog(std::move(script));
    CMainDlg dialog;
    return dialog.DoModal();
  }
  CWinApp app;
};

TEST_F(HitListTest, ListsThirtyHitsInTableOrderInSixColumns) {
  pending::fetchBody = ItemSearchAnswer(30);
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
    const HitTable& table = watchState.hitTable;
    EXPECT_EQ(rows[0], (std::vector<std::string>{table.itemName[0], "1000", "2", table.shopName[0],
                                                 "shop:0", "0"}));
    for (int i = 0; i < 30; ++i) EXPECT_EQ(rows[static_cast<size_t>(i)][5], std::to_string(i));
    d.PressEnter();
  });
  EXPECT_EQ(watchState.hitListPrimed, 0);
}

TEST_F(HitListTest, DoubleClickOpensTheLowestSelectedRowOrElseTheRememberedOne) {
  pending::fetchBody = ItemSearchAnswer(30);
  Show([&](HeadlessDialog& d) {
    d.DoubleClick(IDC_HITLIST);  // nothing selected yet: row 0
    d.SelectItems(IDC_HITLIST, {2, 5});
    d.DoubleClick(IDC_HITLIST);
    d.SelectItems(IDC_HITLIST, {});
    d.DoubleClick(IDC_HITLIST);  // the remembered row again
    d.PressEsc();
  });
  EXPECT_EQ(
      ui.OpenedAddresses(),
      (std::vector<std::string>{"http://item.test/0", "http://item.test/5", "http://item.test/5"}));
  // Esc: the destructor still resets the toggle, and the remembered row outlives the showing.
  EXPECT_EQ(watchState.hitListPrimed, 0);
  const int fetches = pending::fetches;
  pending::fetchBody = ItemSearchAnswer(3);
  Show([&](HeadlessDialog& d) {
    EXPECT_EQ(d.Items(IDC_HITLIST).size(), 3u);  // a new search, the list rebuilt
    d.DoubleClick(IDC_HITLIST);                  // row 5 lies beyond the hits: empty address
    d.PressEsc();
  });
  EXPECT_EQ(pending::fetches, fetches + 1);
  EXPECT_EQ(ui.OpenedAddresses().size(), 3u);
}

TEST_F(HitListTest, OnlyWebAddressesFromTheServiceReachTheBrowser) {
  for (const std::string address : {"javascript:alert(1)", "file:///etc/passwd", "xterm -e sh"}) {
    pending::fetchBody = ItemSearchAnswer(1, {address});
    Show([&](HeadlessDialog& d) {
      d.SelectItems(IDC_HITLIST, {0});
      d.DoubleClick(IDC_HITLIST);
      d.PressEsc();
    });
  }
  EXPECT_TRUE(ui.OpenedAddresses().empty());
}

TEST_F(HitListTest, AnEmptyKeywordListsNothingAndSendsNothing) {
  settings.scanKeyword = "";
  pending::fetchBody = ItemSearchAnswer(30);
  const int fetches = pending::fetches;
  Show([&](HeadlessDialog& d) {
    EXPECT_EQ(d.Columns(IDC_HITLIST).size(), 6u);
    EXPECT_TRUE(d.Items(IDC_HITLIST).empty());
    d.DoubleClick(IDC_HITLIST);
    d.PressEnter();
  });
  EXPECT_EQ(pending::fetches, fetches);
  EXPECT_TRUE(ui.OpenedAddresses().empty());
}

}  // namespace
