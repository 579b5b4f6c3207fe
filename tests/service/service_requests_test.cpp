#include "service/router/service_requests.h"

#include <memory>

#include <gtest/gtest.h>

#include "service/described/clear_hit_table.h"
#include "service/described/described_queries.h"
#include "service/described/service_ids.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"

namespace service {

namespace {

using testing_support::StandInMall;
using namespace testing_support;  // the catalogue's keywords

// The stand-in mall answers for both services; the settings start empty.
class ServiceRequests : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mallInstance = std::make_unique<StandInMall>(); }
  static void TearDownTestSuite() { mallInstance.reset(); }

  void SetUp() override {
    testing_support::ResetSettings();
    SetServiceHostsForTesting({mall.host(), mall.host()});
    ClearHitTable();
    watchState.hitCount = 0;
  }
  void TearDown() override { testing_support::ResetSettings(); }

  // The request line of the last request the stand-in received.
  std::string LastRequest() {
    const auto lines = mall.RequestLines();
    return lines.empty() ? std::string() : lines.back();
  }
  std::string ItemSearchStart() const {
    return std::string("GET /rws/3.0/rest?developerId=") + kDeveloperId +
           "&operation=ItemSearch&version=2010-09-15";
  }

  static std::unique_ptr<StandInMall> mallInstance;
  StandInMall& mall = *mallInstance;
  WatchSettings& settings = watchState.settings;
};

std::unique_ptr<StandInMall> ServiceRequests::mallInstance;

TEST_F(ServiceRequests, CountQueryUrlCarriesKeywordSortStockAndPrice) {
  settings.scanKeyword = kFukubukuro;
  int count = 0;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(LastRequest(), ItemSearchStart() +
                               "&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice&availability=0 "
                               "HTTP/1.1");
  settings.scanZaiko = 1;
  settings.scanPrice = "5000";
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(LastRequest(), ItemSearchStart() +
                               "&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice&availability=1"
                               "&maxPrice=5000 HTTP/1.1");
}

TEST_F(ServiceRequests, AQueryGivenASnapshotIgnoresLaterChangesOfTheSettings) {
  settings.scanKeyword = kFukubukuro;
  settings.scanPrice = "5000";
  const SettingsSnapshot checked = SnapshotSettings();
  settings.scanKeyword = "";  // the dialog changes them after the cycle checked its copy
  settings.scanPrice = "abc";
  int count = 0, state = 0;
  EXPECT_EQ(QueryHitCount(count, checked), 0);
  EXPECT_NE(LastRequest().find("&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice&availability=0"
                               "&maxPrice=5000 HTTP"),
            std::string::npos);
  EXPECT_EQ(QuerySalesStatus(state, checked), 0);
  EXPECT_NE(LastRequest().find("sitem=%E7%A6%8F%E8%A2%8B HTTP"), std::string::npos);
  EXPECT_EQ(QueryHitCount(count), -2);  // without a snapshot: the settings as they are now
}

TEST_F(ServiceRequests, HitListUrlAddsTheAffiliateIdBeforeTheKeyword) {
  settings.scanKeyword = kFukubukuro;
  QueryHitList();
  EXPECT_EQ(LastRequest(), ItemSearchStart() + "&affiliateId=" + kAffiliateId +
                               "&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice&availability=0 "
                               "HTTP/1.1");
}

TEST_F(ServiceRequests, SalesStatusUrlCarriesOnlyTheKeyword) {
  settings.scanKeyword = kFukubukuro;
  settings.scanZaiko = 1;
  settings.scanPrice = "100";
  int state = 0;
  QuerySalesStatus(state);
  EXPECT_EQ(LastRequest(), "GET /search/mall?sitem=%E7%A6%8F%E8%A2%8B HTTP/1.1");
}

TEST_F(ServiceRequests, PriceTextIsPercentEncodedOutsideTheUnreservedSet) {
  settings.scanKeyword = " ";  // a blank keyword is not empty
  int count = 0;
  for (const auto& [price, sent] :
       std::vector<std::pair<std::string, std::string>>{{"1e3", "1e3"},
                                                        {"12a", "12a"},
                                                        {" 500", "%20500"},
                                                        {"1&keyword=x", "1%26keyword%3Dx"}}) {
    settings.scanPrice = price;
    QueryHitCount(count);
    EXPECT_EQ(LastRequest(), ItemSearchStart() +
                                 "&keyword=%20&sort=%2BitemPrice&availability=0&maxPrice=" + sent +
                                 " HTTP/1.1");
  }
}

TEST_F(ServiceRequests, EmptyKeywordSendsNothing) {
  const size_t before = mall.RequestLines().size();
  int count = 5, state = 5;
  watchState.hitListRows = 9;
  EXPECT_EQ(QueryHitCount(count), -2);
  EXPECT_EQ(QueryHitList(), -2);
  EXPECT_EQ(QuerySalesStatus(state), -2);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(state, 0);
  EXPECT_EQ(watchState.hitListRows, 0);
  EXPECT_EQ(mall.RequestLines().size(), before);
}

TEST_F(ServiceRequests, CountsFromTheService) {
  int count = 0;
  settings.scanKeyword = kWatch;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 38);
  settings.scanZaiko = 1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 35);
  settings.scanPrice = "1000";  // cheaper than every watch
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, -1);  // "NotFound"
  settings.scanPrice = "";
  settings.scanKeyword = kNothing;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, -1);
}

TEST_F(ServiceRequests, HitListFillsThirtyRowsCheapestFirst) {
  settings.scanKeyword = kWatch;
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(watchState.hitListRows, 30);
  const HitTable& table = watchState.hitTable;
  EXPECT_EQ(table.itemPrice[0], "1480");
  EXPECT_EQ(table.rowIndex[29], "29");
  EXPECT_LE(std::stoi(table.itemPrice[0]), std::stoi(table.itemPrice[29]));
  EXPECT_EQ(table.affiliateUrl[0].rfind("http://" + mall.host() + "/item/", 0), 0u);
  EXPECT_NE(table.affiliateUrl[0].find("&amp;"), std::string::npos);
  EXPECT_NE(table.itemName[0].find(kWatch), std::string::npos);
}

TEST_F(ServiceRequests, NotFoundListsNoRows) {
  settings.scanKeyword = kWatch;
  QueryHitList();
  ClearHitTable();
  settings.scanKeyword = kNothing;
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(watchState.hitListRows, 0);
}

TEST_F(ServiceRequests, FailuresOfTheServiceOrTheConnection) {
  settings.scanKeyword = kWatch;
  int count = 0;
  mall.ArmFault("mode=status&code=404");
  EXPECT_EQ(QueryHitCount(count), -1);
  EXPECT_EQ(count, -1);

  mall.ArmFault("mode=content-length-smaller&at=3000");  // the records stop half-way
  EXPECT_EQ(QueryHitList(), -1);
  EXPECT_EQ(watchState.hitListRows, 0);
  EXPECT_NE(watchState.hitTable.itemName[0], "");  // what was read stays in the table

  const testing_support::ScopedOverride unreachable(
      SetServiceHostsForTesting, {testing_support::UnreachableUrl().substr(7), mall.host()});
  EXPECT_EQ(QueryHitCount(count), -1);
  EXPECT_EQ(count, -1);
}

TEST_F(ServiceRequests, SalesStatusVerdicts) {
  int state = 9;
  for (const auto& [keyword, expected] : std::vector<std::pair<std::string, int>>{
           {kWatch, 1}, {kFukubukuro, -2}, {kWallet, 0}, {kMug, -1}}) {
    settings.scanKeyword = keyword;
    EXPECT_EQ(QuerySalesStatus(state), 0);
    EXPECT_EQ(state, expected);
  }
  mall.ArmFault("mode=reset-mid-body&at=10");
  EXPECT_EQ(QuerySalesStatus(state), -1);
  EXPECT_EQ(state, 0);
  mall.ArmFault("mode=status&code=503");
  EXPECT_EQ(QuerySalesStatus(state), 0);
  EXPECT_EQ(state, -1);
}

}  // namespace

}  // namespace service
