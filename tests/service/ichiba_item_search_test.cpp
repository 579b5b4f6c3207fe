#include <chrono>
#include <memory>
#include <optional>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/http/http_request.h"
#include "service/check_log.h"
#include "service/described/clear_hit_table.h"
#include "service/described/described_queries.h"
#include "service/described/service_ids.h"
#include "service/ichiba/request_pacer.h"
#include "service/ichiba/service_versions.h"
#include "service/outcome_text.h"
#include "service/router/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"
#include "support/standin_mall/service_keys.h"
#include "support/temp_dir.h"

namespace service {

namespace {

using namespace testing_support;  // the catalogue's keywords, ScopedOverride
using std::chrono::milliseconds;

// The item searches with a [SERVICE] section against the stand-in mall, over HTTP and, where the
// stand-in's certificates are at hand, HTTPS. Each test has its own setting.ini and check log.
class IchibaItemSearch : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    certificates = std::make_unique<TempDir>();
    mallInstance = std::make_unique<StandInMall>(0, certificates->path());
  }
  static void TearDownTestSuite() {
    mallInstance.reset();
    certificates.reset();
  }

  void SetUp() override {
    mall.SetServiceMode("deny=none&rate=off");
    ClearHitTable();
    watchState.hitCount = 0;
  }

  // Writes setting.ini with the given [SERVICE] lines and loads it.
  void UseService(const std::string& serviceLines, const std::string& keyword = kFukubukuro) {
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + keyword +
                                     "\r\n[SERVICE]\r\n" + serviceLines);
    LoadSettings();
  }
  // The count check's outcome now, with [SERVICE] as loaded.
  static CheckOutcome CountNow() { return CountCheck(SnapshotSettings(), SnapshotService()); }
  std::string Lines(const std::string& endpoint, const std::string& id = standin::kApplicationId,
                    const std::string& key = standin::kAccessKey) {
    return "APPLICATION_ID=" + id + "\r\nACCESS_KEY=" + key + "\r\nENDPOINT=" + endpoint + "\r\n";
  }
  std::string HttpEndpoint() const { return mall.Url(standin::kSearchPath20260701); }
  std::string HttpsEndpoint(const char* kind) {
    return "https://127.0.0.1:" + std::to_string(mall.TlsPort(kind)) + standin::kSearchPath20260701;
  }

  std::string LastRequest() {
    const auto lines = mall.RequestLines();
    return lines.empty() ? std::string() : lines.back();
  }
  std::string Log() { return ReadFile(sandbox.dir().File("kobanu.log")); }
  // The check log's lines without their time.
  std::vector<std::string> LogLines() {
    std::vector<std::string> lines;
    std::istringstream log(Log());
    for (std::string line; std::getline(log, line);) lines.push_back(line.substr(22));
    return lines;
  }

  static std::unique_ptr<TempDir> certificates;
  static std::unique_ptr<StandInMall> mallInstance;
  StandInMall& mall = *mallInstance;
  // Each test asks the stand-in as fast as it likes, from a run that has seen no version retired.
  const ScopedOverride<ServiceHosts> hosts_{SetServiceHostsForTesting, {mall.host(), mall.host()}};
  const ScopedOverride<milliseconds> fast_{SetServiceIntervalForTesting, milliseconds(0)};
  const ScopedOverride<VersionsSeen> versions_{SetVersionsSeenForTesting, {}};
  SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

std::unique_ptr<TempDir> IchibaItemSearch::certificates;
std::unique_ptr<StandInMall> IchibaItemSearch::mallInstance;

const std::string kCountStart = std::string("GET ") + standin::kSearchPath20260701 +
                                "?applicationId=" + standin::kApplicationId + "&accessKey=****";

TEST_F(IchibaItemSearch, CountQueryAsksForTheCountAndTheCheapestMatchInOneRequest) {
  UseService(Lines(HttpEndpoint()));
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  const std::string cheapestElements =
      "&format=json&formatVersion=2&elements=count,itemName,itemPrice,itemUrl,affiliateUrl,"
      "shopName,postageFlag HTTP/1.1";
  EXPECT_EQ(LastRequest(), kCountStart +
                               "&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice"
                               "&availability=0&hits=1" +
                               cheapestElements);
  const CheckOutcome counted = CountNow();
  EXPECT_EQ(TextOf(counted).brief, "該当 4件 最安 2,160円");
  ASSERT_TRUE(counted.cheapest);
  EXPECT_EQ(counted.cheapest->name, "福袋 コーヒー豆 お試し 4種");
  EXPECT_EQ(counted.cheapest->price, 2160u);
  EXPECT_EQ(counted.cheapest->postageIncluded, true);
  EXPECT_EQ(counted.cheapest->shop, "福袋市場");
  EXPECT_EQ(counted.cheapest->address,
            "http://" + mall.host() + "/item/fukubukuro-ichiba:20000003");
  settings.scanZaiko = 1;
  for (const auto& [price, sent] : std::vector<std::pair<std::string, std::string>>{
           {"5000.9", "&maxPrice=5000"}, {"1e3", "&maxPrice=1000"}, {"abc", ""}}) {
    settings.scanPrice = price;
    EXPECT_EQ(QueryHitCount(count), 0) << price;
    EXPECT_EQ(LastRequest(), kCountStart +
                                 "&keyword=%E7%A6%8F%E8%A2%8B&sort=%2BitemPrice"
                                 "&availability=1" +
                                 sent + "&hits=1" + cheapestElements)
        << price;
  }
  UseService(Lines(HttpEndpoint()) + "AFFILIATE_ID=af.01\r\n", kNothing);
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_NE(LastRequest().find("&affiliateId=af.01&keyword="), std::string::npos);
  EXPECT_EQ(TextOf(CountNow()).brief, "該当なし");
  EXPECT_FALSE(CountNow().cheapest);
  settings.scanZaiko = 1;
  // A ceiling below one yen leaves nothing to find: no request, no match (not every item).
  for (const char* price : {"0.5", "0", "-0"}) {
    settings.scanPrice = price;
    const size_t requests = mall.RequestLines().size();
    count = -1;
    EXPECT_EQ(QueryHitCount(count), 0) << price;
    EXPECT_EQ(count, 0) << price;
    EXPECT_EQ(QueryHitList(), 0) << price;
    EXPECT_EQ(watchState.hitListRows, 0) << price;
    EXPECT_EQ(mall.RequestLines().size(), requests) << price;
  }
  EXPECT_TRUE(LogLines().back().starts_with("hit list | nothing found:")) << LogLines().back();
}

// SZ100 in the stand-in: the watch at 12,800 and 9,480 yen (postage apart), bands at 480 and
// 5,980 (postage apart), a film at 380 and a cable at 1,280. The narrowing goes into each of the
// three questions as the service takes it, and narrows what the count check finds.
TEST_F(IchibaItemSearch, NarrowingIsSentAsTheServiceTakesItAndNarrowsTheMatch) {
  struct Case {
    std::string lines;  // of [SERVICE], after the id, the key and the address
    std::string sent;   // between the keyword and &hits= in the count's request
    int count;
    uint64_t cheapest;
  };
  const std::string words =
      "&NGKeyword=%E3%83%99%E3%83%AB%E3%83%88%20%E3%83%95%E3%82%A3%E3%83%AB"
      "%E3%83%A0";  // ベルト フィルム
  for (const Case& c : std::vector<Case>{
           {"", "&sort=%2BitemPrice&availability=0&maxPrice=10000", 5, 380},
           {"MIN_PRICE=6000\r\n", "&sort=%2BitemPrice&availability=0&minPrice=6000&maxPrice=10000",
            1, 9480},
           // As written: blanks around the floor, the words parted by a full-width space.
           {"MIN_PRICE= 5000\r\nNG_KEYWORD=\x83\x78\x83\x8B\x83\x67\x81\x40\x83\x74\x83\x42"
            "\x83\x8B\x83\x80\r\n",
            words + "&sort=%2BitemPrice&availability=0&minPrice=5000&maxPrice=10000", 1, 9480},
           {"POSTAGE_INCLUDED=1\r\n",
            "&sort=%2BitemPrice&availability=0&maxPrice=10000&postageFlag=1", 3, 380},
           {"MIN_PRICE=\r\nNG_KEYWORD=\x81\x40\r\nPOSTAGE_INCLUDED=0\r\n",
            "&sort=%2BitemPrice&availability=0&maxPrice=10000", 5, 380},
       }) {
    UseService(Lines(HttpEndpoint()) + c.lines, kSmartWatch);
    settings.scanPrice = "10000";
    int count = -1;
    EXPECT_EQ(QueryHitCount(count), 0) << c.lines;
    EXPECT_EQ(count, c.count) << c.lines;
    EXPECT_EQ(LastRequest(), kCountStart + "&keyword=%53%5A%31%30%30" + c.sent +
                                 "&hits=1&format=json&formatVersion=2&elements=count,itemName,"
                                 "itemPrice,itemUrl,affiliateUrl,shopName,postageFlag HTTP/1.1")
        << c.lines;
    const auto cheapest = CountNow().cheapest;
    EXPECT_EQ(cheapest ? cheapest->price : std::nullopt, c.cheapest) << c.lines;
  }
  // The hit list carries the same narrowing (the time sale's test shows its own).
  UseService(Lines(HttpEndpoint()) + "MIN_PRICE=1000\r\nNG_KEYWORD=SZ200\r\nPOSTAGE_INCLUDED=1\r\n",
             kSmartWatch);
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_NE(
      LastRequest().find("&keyword=%53%5A%31%30%30&NGKeyword=%53%5A%32%30%30&sort=%2BitemPrice"
                         "&availability=0&minPrice=1000&postageFlag=1&hits=30&"),
      std::string::npos)
      << LastRequest();
  EXPECT_EQ(watchState.hitListRows, 2);
}

// A floor that is no whole number, or not below the ceiling, and a word to leave out that the
// service would refuse: nothing is sent, and the log says which and why.
TEST_F(IchibaItemSearch, NarrowingThatBreaksARuleSendsNothingAndSaysWhy) {
  for (const auto& [lines, logged] : std::vector<std::pair<std::string, std::string>>{
           {"MIN_PRICE=10000\r\n",
            "settings error: MIN_PRICE 10000, price 10000 — 原因: 下限価格（MIN_PRICE）が設定価格"},
           {"MIN_PRICE=5,000\r\n",
            "settings error: MIN_PRICE 5,000 — 原因: 下限価格（MIN_PRICE）は"},
           {"NG_KEYWORD=\x83\x78\x83\x8B\x83\x67 G\r\n",
            "ng keyword not sent: G — 原因: 語「G」: 半角の語は"},
       }) {
    UseService(Lines(HttpEndpoint()) + lines, kSmartWatch);
    settings.scanPrice = "10000";
    const size_t requests = mall.RequestLines().size();
    int count = 5;
    EXPECT_EQ(QueryHitCount(count), -1) << lines;
    EXPECT_EQ(count, -1);
    EXPECT_EQ(QueryHitList(), -1) << lines;
    EXPECT_EQ(mall.RequestLines().size(), requests) << lines;
    const auto log = LogLines();
    ASSERT_GE(log.size(), 2u);
    EXPECT_EQ(log[log.size() - 2].find("count | " + logged), 0u) << log[log.size() - 2];
    EXPECT_EQ(log.back().find("hit list | " + logged), 0u) << log.back();
  }
  // Without a ceiling a floor narrows alone.
  UseService(Lines(HttpEndpoint()) + "MIN_PRICE=10000\r\n", kSmartWatch);
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 1);
}

TEST_F(IchibaItemSearch, HitListAsksForThirtyCheapestFirstWithTheAffiliateId) {
  UseService(Lines(HttpEndpoint()) + "AFFILIATE_ID=af.01\r\n", kWatch);
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(LastRequest(),
            kCountStart +
                "&affiliateId=af.01&keyword=%E8%85%95%E6%99%82%E8%A8%88&sort=%2BitemPrice"
                "&availability=0&hits=30&format=json&formatVersion=2&elements=count,itemName,"
                "itemCode,itemPrice,itemUrl,affiliateUrl,pointRate,shopName HTTP/1.1");
  EXPECT_EQ(watchState.hitListRows, 30);
  const HitTable& table = watchState.hitTable;
  EXPECT_EQ(table.itemPrice[0], "1480");
  EXPECT_NE(table.itemName[0].find(kWatch), std::string::npos);  // code page 932
  EXPECT_EQ(table.affiliateUrl[0].rfind("http://" + mall.host() + "/item/", 0), 0u);
  EXPECT_NE(table.affiliateUrl[0].find("?scid=af_af.01&sc2id=1"), std::string::npos);
  EXPECT_EQ(table.rowIndex[29], "29");

  UseService(Lines(HttpEndpoint()), kWallet);  // without an affiliate id: the item's own page
  ClearHitTable();
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(table.affiliateUrl[0].find("scid"), std::string::npos);
  EXPECT_EQ(table.itemPrice[0], "2480");  // sent as a text
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "hit list | listed 30 | " + HttpEndpoint() +
                          "?applicationId=" + standin::kApplicationId +
                          "&accessKey=****&affiliateId=af.01&keyword=%E8%85%95%E6%99%82%E8%A8%88"
                          "&sort=%2BitemPrice&availability=0&hits=30&format=json&formatVersion=2"
                          "&elements=count,itemName,itemCode,itemPrice,itemUrl,affiliateUrl,"
                          "pointRate,shopName");
}

TEST_F(IchibaItemSearch, NothingFoundIsACountOfZero) {
  UseService(Lines(HttpEndpoint()), kNothing);
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(watchState.hitListRows, 0);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].substr(0, 22), "count | nothing found ");
  EXPECT_EQ(lines[1].substr(0, 25), "hit list | nothing found ");
}

// Every way the service refuses, as it answers today, reaches the log as one outcome: the
// service's words, then the cause and the fix for the user; and never the key.
TEST_F(IchibaItemSearch, EveryRefusalReachesTheLogWithItsCauseAndFix) {
  struct Case {
    std::string lines;
    std::string mode;
    std::string outcome;  // the start of the log's outcome
    std::string cause;    // a piece of the cause
  };
  const std::string site = "REFERER=" + std::string(standin::kWebApplicationSite) + "/watch\r\n";
  const std::vector<Case> cases = {
      {Lines(HttpEndpoint(), "unregistered"), "",
       "service error 400: wrong_parameter: specify valid applicationId — 原因: ", "アプリID"},
      {Lines(HttpEndpoint(), standin::kApplicationId, "pk_wrong"), "",
       "service error 403: Invalid Access Key — 原因: ", "アクセスキー"},
      {Lines(HttpEndpoint()), "deny=ip",
       "service error 403: CLIENT_IP_NOT_ALLOWED — 原因: ", "IPアドレス"},
      {Lines(HttpEndpoint(), standin::kWebApplicationId), "",
       "service error 403: REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING — 原因: ", "Origin"},
      {Lines(HttpEndpoint(), standin::kWebApplicationId) + "REFERER=https://other.example\r\n", "",
       "service error 403: HTTP_REFERRER_NOT_ALLOWED — 原因: ", "一致しません"},
      {Lines(HttpEndpoint()), "fail=503",
       "service error 503: service_unavailable: IchibaItem/Search/20260701 is under maintenance — "
       "原因: ",
       "保守か障害"},
      {Lines(HttpEndpoint()), "fail=500", "service error 500: system_error: api logic error — ",
       "保守か障害"},
      {Lines(mall.Url("/fault/status/404")), "", "service error 404 — 原因: ", "受け付けません"},
      {Lines("ftp://127.0.0.1/x"), "", "settings error: ENDPOINT ftp://127.0.0.1/x — ", "https"},
      {Lines("http://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20260701"), "",
       "settings error: ENDPOINT http://openapi", "https"},
      {Lines(UnreachableUrl()), "", "network error: ", "サーバーに接続できないか"},
  };
  for (const Case& c : cases) {
    UseService(c.lines);
    if (!c.mode.empty()) mall.SetServiceMode(c.mode);
    const size_t logged = LogLines().size();
    int count = 5;
    EXPECT_EQ(QueryHitCount(count), -1) << c.outcome;
    EXPECT_EQ(count, -1);
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), logged + 1) << c.outcome;
    EXPECT_EQ(lines.back().substr(0, 8 + c.outcome.size()), "count | " + c.outcome);
    EXPECT_NE(lines.back().find(c.cause), std::string::npos) << lines.back();
    EXPECT_NE(lines.back().find(" 対処: "), std::string::npos) << lines.back();
    mall.SetServiceMode("deny=none&fail=none");
  }
  // More than one request a second.
  mall.SetServiceMode("rate=strict");
  UseService(Lines(HttpEndpoint()));
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(QueryHitCount(count), -1);
  EXPECT_TRUE(LogLines().back().starts_with(
      "count | service error 429: Rate limit is exceeded. Try again in 1 seconds."))
      << LogLines().back();
  EXPECT_NE(LogLines().back().find("1秒に1回"), std::string::npos);

  // The web application's requests carry its site, and its origin alone as Origin.
  mall.SetServiceMode("rate=off");
  UseService(Lines(HttpEndpoint(), standin::kWebApplicationId) + site);
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Log().find(standin::kAccessKey), std::string::npos);
  EXPECT_EQ(Log().find("pk_wrong"), std::string::npos);
}

// Plain http goes to this machine only, judged by the host's form and never by a name lookup;
// an old host of the service is named as such. With every lookup failing, an address that
// passes comes to a network error, and one refused is a settings error that sent nothing.
TEST_F(IchibaItemSearch, PlainHttpOnlyToRealLoopbackAndNoKeyToARetiredHost) {
  const ScopedOverride noLookups(platform::http::SetNameResolutionFailsForTesting, true);
  const std::string path = standin::kSearchPath20260701;
  struct Case {
    std::string endpoint;
    std::string outcome;  // the start of the log's outcome
  };
  const std::string refused = "settings error: ENDPOINT ";
  std::vector<Case> cases;
  for (const char* host :
       {"localhost", "LocalHost:8080", "[::1]:8080", "127.0.0.1", "127.9.8.7:80"}) {
    cases.push_back({"http://" + std::string(host) + path, "network error: "});
  }
  for (const char* host :
       {"127.attacker.example", "127.0.0.1.attacker.example", "127.1", "2130706433", "0x7f.0.0.1",
        "127.0.0.01", "127.0.0.256", "localhost.", "127.0.0.1:80x", "[::1", "[::ffff:127.0.0.1]"}) {
    cases.push_back({"http://" + std::string(host) + path, refused + "http://" + host});
  }
  for (const char* retired :
       {"https://app.rakuten.co.jp/services/api/IchibaItem/Search/20220601",
        "http://App.Rakuten.co.jp:443/services/api/IchibaItem/Search/20220601",
        "https://api.rakuten.co.jp/rws/3.0/json"}) {
    cases.push_back({retired, refused + retired + " — 原因: ENDPOINT のホストは"});
  }
  for (const Case& c : cases) {
    UseService(Lines(c.endpoint));
    int count = 5;
    EXPECT_EQ(QueryHitCount(count), -1) << c.endpoint;
    EXPECT_TRUE(LogLines().back().starts_with("count | " + c.outcome)) << LogLines().back();
  }
  EXPECT_NE(LogLines().back().find(
                "https://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20260701 にして"),
            std::string::npos);
}

// A retired version answers 400 "API Configuration not found" however right the keys are: the
// next known version is asked on the same host and path, and kept to from then on.
TEST_F(IchibaItemSearch, ARetiredVersionGivesWayToTheNextKnownOne) {
  const std::string retired = mall.Url(standin::kSearchPath20220601);
  UseService(Lines(retired));
  int count = -1;
  size_t requests = mall.RequestLines().size();
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  auto lines = mall.RequestLines();
  ASSERT_EQ(lines.size(), requests + 2);
  EXPECT_EQ(lines[requests].find(std::string("GET ") + standin::kSearchPath20220601 + "?"), 0u);
  EXPECT_EQ(lines[requests + 1].find(std::string("GET ") + standin::kSearchPath20260701 + "?"), 0u);
  EXPECT_TRUE(LogLines().back().starts_with(
      "count | count 4 — 版 20220601 は廃止されているため 20260701 に問い合わせました"))
      << LogLines().back();
  EXPECT_NE(LogLines().back().find("ENDPOINT を " + HttpEndpoint() + " に変えてください"),
            std::string::npos);

  requests = mall.RequestLines().size();
  EXPECT_EQ(QueryHitList(), 0);  // straight to the version that answered
  EXPECT_EQ(mall.RequestLines().size(), requests + 1);
  EXPECT_EQ(mall.RequestLines().back().find(std::string("GET ") + standin::kSearchPath20260701),
            0u);

  // The next retirement: without an ENDPOINT too.
  SetVersionsSeenForTesting({});
  mall.SetServiceMode("retire=20260701");
  UseService("APPLICATION_ID=" + std::string(standin::kApplicationId) +
             "\r\nACCESS_KEY=" + standin::kAccessKey + "\r\n");
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(mall.RequestLines().back().find(std::string("GET ") + standin::kSearchPath20260401),
            0u);

  // And when none is left, the outcome says so.
  SetVersionsSeenForTesting({});
  mall.SetServiceMode("retire=20260701,20260401");
  EXPECT_EQ(QueryHitCount(count), -1);
  EXPECT_TRUE(LogLines().back().starts_with(
      "count | retired version 400: wrong_parameter: API Configuration not found"))
      << LogLines().back();
  EXPECT_NE(LogLines().back().find("すべて廃止"), std::string::npos);
  mall.SetServiceMode("retire=none");
}

// The keyword as the service takes it: a full-width space parts words like a half-width one;
// blanks around and between words are one; a word the rules refuse is named and nothing is sent.
TEST_F(IchibaItemSearch, KeywordsFollowTheServicesRules) {
  UseService(Lines(HttpEndpoint()),
             "\x98\x72\x8E\x9E\x8C\x76\x81\x40\x83\x5C\x81\x5B\x83\x89\x81\x5B");
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);  // the solar watches
  EXPECT_NE(LastRequest().find(
                "&keyword=%E8%85%95%E6%99%82%E8%A8%88%20%E3%82%BD%E3%83%BC%E3%83%A9%E3%83%BC&"),
            std::string::npos);
  settings.scanKeyword = "  " + kWatch + " \x81\x40  ";
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_NE(LastRequest().find("&keyword=%E8%85%95%E6%99%82%E8%A8%88&"), std::string::npos);

  for (const auto& [keyword, named] : std::vector<std::pair<std::string, std::string>>{
           {kWatch + " G", "語「G」"}, {"iPhone 5", "語「5」"}, {"\x82\xA0", "語「あ」"}}) {
    settings.scanKeyword = keyword;
    const size_t requests = mall.RequestLines().size();
    EXPECT_EQ(QueryHitCount(count), -1) << named;
    EXPECT_EQ(mall.RequestLines().size(), requests) << named;
    EXPECT_EQ(LogLines().back().find("count | keyword not sent: "), 0u) << LogLines().back();
    EXPECT_NE(LogLines().back().find(named), std::string::npos) << LogLines().back();
  }
}

// With [SERVICE] the time-sale mode asks the service for the hits' sale windows instead of
// reading the search page, which today carries none of its old marks.
TEST_F(IchibaItemSearch, TimeSalesAreReadFromTheHitsWindows) {
  UseService(Lines(HttpEndpoint()), kFukubukuro);
  int state = 5;
  EXPECT_EQ(QuerySalesStatus(state), 0);
  EXPECT_EQ(state, -2);  // ended half an hour ago: within the hour before the first reading
  EXPECT_EQ(LastRequest(), kCountStart +
                               "&keyword=%E7%A6%8F%E8%A2%8B&hits=30&format=json&formatVersion=2"
                               "&elements=count,startTime,endTime HTTP/1.1");
  EXPECT_EQ(QuerySalesStatus(state), 0);
  EXPECT_EQ(state, 0);  // ... and not again: it ended before the previous reading
  for (const auto& [keyword, expected] :
       std::vector<std::pair<std::string, int>>{{kWatch, 1}, {kWallet, 0}, {kMug, 0}}) {
    settings.scanKeyword = keyword;
    EXPECT_EQ(QuerySalesStatus(state), 0);
    EXPECT_EQ(state, expected) << expected;
  }
  std::vector<std::string> outcomes;
  for (const std::string& line : LogLines()) outcomes.push_back(line.substr(0, line.find(" | h")));
  EXPECT_EQ(outcomes,
            (std::vector<std::string>{"time sale | sale ended", "time sale | no time sale",
                                      "time sale | sale running", "time sale | no time sale",
                                      "time sale | no time sale"}));
  // The narrowing goes along; the ceiling does not, so that no floor is above it.
  UseService(
      Lines(HttpEndpoint()) + "MIN_PRICE=10000\r\nNG_KEYWORD=SZ200\r\nPOSTAGE_INCLUDED=1\r\n",
      kSmartWatch);
  settings.scanPrice = "10000";
  EXPECT_EQ(QuerySalesStatus(state), 0);
  EXPECT_NE(LastRequest().find("&keyword=%53%5A%31%30%30&NGKeyword=%53%5A%32%30%30&minPrice=10000"
                               "&postageFlag=1&hits=30&"),
            std::string::npos)
      << LastRequest();
}

TEST_F(IchibaItemSearch, TwoSearchesInARowWaitForTheirTurn) {
  const ScopedOverride paced(SetServiceIntervalForTesting, kServiceInterval);
  mall.SetServiceMode("rate=strict");
  UseService(Lines(HttpEndpoint()), kWatch);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(1000));
  EXPECT_EQ(watchState.hitListRows, 30);
}

TEST_F(IchibaItemSearch, HttpsTrustsTheGoodCertificateOnly) {
  std::optional<ScopedOverride<std::string>> trusted;
  trusted.emplace(platform::http::SetTrustedCaFileForTesting, mall.CaFile());
  UseService(Lines(HttpsEndpoint("good")));
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  for (const char* kind : {"wrong-host", "expired", "self-signed"}) {
    UseService(Lines(HttpsEndpoint(kind)));
    const size_t logged = LogLines().size();
    EXPECT_EQ(QueryHitCount(count), -1) << kind;
    const auto lines = LogLines();
    ASSERT_EQ(lines.size(), logged + 1) << kind;
    EXPECT_EQ(lines.back().substr(0, 22), "count | network error:") << kind;
    EXPECT_NE(lines.back().find("SSL"), std::string::npos) << lines.back();
    EXPECT_NE(lines.back().find("証明書が受け付けられませんでした"), std::string::npos)
        << lines.back();
  }
  // Without the test authority the good certificate is a stranger too.
  trusted.reset();
  UseService(Lines(HttpsEndpoint("good")));
  EXPECT_EQ(QueryHitCount(count), -1);
}

// The key is in the address: a redirect is followed only to https on the same host. Any other
// is a failure that names where it led, and nothing is sent there (the stand-in's plain port
// and its other names hear nothing).
TEST_F(IchibaItemSearch, ARedirectNeverTakesTheKeyOffHttpsOrOffTheHost) {
  const ScopedOverride trusted(platform::http::SetTrustedCaFileForTesting, mall.CaFile());
  const std::string path = standin::kSearchPath20260701;
  const std::string tlsPort = std::to_string(mall.TlsPort("good"));
  struct Case {
    std::string redirect;   // the fault's parameters
    std::string refusedTo;  // empty: followed
  };
  for (const Case& c : std::vector<Case>{
           {"", ""},
           {"&code=308", ""},
           {"&to=http://" + mall.host() + path, "http://" + mall.host() + path},
           {"&code=307&to=https://localhost:" + tlsPort + path,
            "https://localhost:" + tlsPort + path},
           {"&to=//localhost:" + tlsPort + path, "https://localhost:" + tlsPort + path},
       }) {
    UseService(Lines(HttpsEndpoint("good")));
    mall.ArmFault("mode=redirect" + c.redirect);
    const size_t requests = mall.RequestLines().size();
    int count = -1;
    EXPECT_EQ(QueryHitCount(count), c.refusedTo.empty() ? 0 : -1) << c.redirect;
    EXPECT_EQ(mall.RequestLines().size(), requests + (c.refusedTo.empty() ? 2 : 1)) << c.redirect;
    if (c.refusedTo.empty()) {
      EXPECT_EQ(count, 4) << c.redirect;
      continue;
    }
    EXPECT_TRUE(LogLines().back().starts_with("count | redirect refused: " + c.refusedTo +
                                              " — 原因: 転送先: " + c.refusedTo + "。"))
        << LogLines().back();
  }
  EXPECT_EQ(Log().find(standin::kAccessKey), std::string::npos);
}

TEST_F(IchibaItemSearch, WithoutBothIdAndKeyTheDescribedInterfaceIsAskedAndLoggedWhenAsked) {
  // The narrowing belongs to today's service alone: the described request stays as it was.
  UseService("APPLICATION_ID=" + std::string(standin::kApplicationId) +
             "\r\nLOG=1\r\nMIN_PRICE=5000\r\nNG_KEYWORD=x y\r\nPOSTAGE_INCLUDED=1\r\n");
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(LastRequest(), std::string("GET /rws/3.0/rest?developerId=") + kDeveloperId +
                               "&operation=ItemSearch&version=2010-09-15&keyword=%E7%A6%8F%E8%A2%8B"
                               "&sort=%2BitemPrice&availability=0 HTTP/1.1");
  EXPECT_EQ(count, 4);
  mall.ArmFault("mode=status&code=404");
  EXPECT_EQ(QueryHitCount(count), -1);
  settings.scanKeyword = kNothing;
  EXPECT_EQ(QueryHitList(), 0);
  const ScopedOverride unreachable(
      SetServiceHostsForTesting,
      {UnreachableUrl().substr(7, UnreachableUrl().size() - 8), mall.host()});
  EXPECT_EQ(QueryHitCount(count), -1);
  settings.scanKeyword = "";
  EXPECT_EQ(QueryHitList(), -2);

  std::vector<std::string> outcomes;
  for (const std::string& line : LogLines()) outcomes.push_back(line.substr(0, line.find(" | h")));
  EXPECT_EQ(outcomes.size(), 5u);
  outcomes.resize(5);
  EXPECT_EQ(outcomes[0], "count | count 4");
  EXPECT_TRUE(outcomes[1].starts_with("count | service error 404 — 原因: ")) << outcomes[1];
  EXPECT_EQ(outcomes[2], "hit list | nothing found");
  EXPECT_EQ(outcomes[3].substr(0, 23), "count | network error: ");
  EXPECT_EQ(outcomes[4], "hit list | skipped: no keyword | ");
}

TEST_F(IchibaItemSearch, SavingKeepsTheServiceSectionAsTheUserWroteIt) {
  const std::string service =
      "[SERVICE]\r\n; mine\r\nACCESS_KEY = \"pk_x\"\r\nAPPLICATION_ID=a\r\n";
  WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\n" + service);
  LoadSettings();
  EXPECT_EQ(SnapshotService().accessKey, "pk_x");
  EXPECT_EQ(SnapshotService().applicationId, "a");
  settings.scanKeyword = kWatch;
  SaveSettings();
  const std::string saved = ReadFile(sandbox.IniPath());
  EXPECT_NE(saved.find(service), std::string::npos) << saved;
}

}  // namespace

}  // namespace service
