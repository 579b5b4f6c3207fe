#include <chrono>
#include <memory>
#include <sstream>
#include <string>

#include <gtest/gtest.h>

#include "platform/http/http_request.h"
#include "service/hit_table.h"
#include "service/request_pacer.h"
#include "service/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"
#include "support/standin_mall/service_keys.h"
#include "support/temp_dir.h"

namespace {

using namespace testing_support;  // the catalogue's keywords
using std::chrono::milliseconds;

// The item searches with a [SERVICE] section against the stand-in mall, over HTTP and, where the
// stand-in's certificates are at hand, HTTPS. Each test has its own setting.ini and check log.
class CurrentService : public ::testing::Test {
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
    SetServiceHostsForTesting(mall.host(), mall.host());
    SetServiceIntervalForTesting(milliseconds(0));
    mall.SetServiceMode("deny=none&rate=off");
    ClearHitTable();
    watchState.hitCount = 0;
  }
  void TearDown() override {
    SetServiceIntervalForTesting(milliseconds(1000));
    platform::http::SetTrustedCaFileForTesting("");
  }

  // Writes setting.ini with the given [SERVICE] lines and loads it.
  void UseService(const std::string& serviceLines, const std::string& keyword = kFukubukuro) {
    WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + keyword +
                                     "\r\n[SERVICE]\r\n" + serviceLines);
    LoadSettings();
  }
  std::string Lines(const std::string& endpoint, const std::string& id = standin::kApplicationId,
                    const std::string& key = standin::kAccessKey) {
    return "APPLICATION_ID=" + id + "\r\nACCESS_KEY=" + key + "\r\nENDPOINT=" + endpoint + "\r\n";
  }
  std::string HttpEndpoint() const { return mall.Url(standin::kCurrentSearchPath); }
  std::string HttpsEndpoint(const char* kind) {
    return "https://127.0.0.1:" + std::to_string(mall.TlsPort(kind)) + standin::kCurrentSearchPath;
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
  SettingsSandbox sandbox;
  WatchSettings& settings = watchState.settings;
};

std::unique_ptr<TempDir> CurrentService::certificates;
std::unique_ptr<StandInMall> CurrentService::mallInstance;

const std::string kCountStart = std::string("GET ") + standin::kCurrentSearchPath +
                                "?applicationId=" + standin::kApplicationId + "&accessKey=****";

TEST_F(CurrentService, CountQueryAsksForOneHitAndTheCountAlone) {
  UseService(Lines(HttpEndpoint()));
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(LastRequest(), kCountStart +
                               "&keyword=%E7%A6%8F%E8%A2%8B&availability=0&hits=1&format=json"
                               "&formatVersion=2&elements=count HTTP/1.1");
  settings.scanZaiko = 1;
  for (const auto& [price, sent] : std::vector<std::pair<std::string, std::string>>{
           {"5000.9", "&maxPrice=5000"}, {"1e3", "&maxPrice=1000"}, {"0.5", ""}, {"-0", ""}}) {
    settings.scanPrice = price;
    EXPECT_EQ(QueryHitCount(count), 0) << price;
    EXPECT_EQ(LastRequest(), kCountStart + "&keyword=%E7%A6%8F%E8%A2%8B&availability=1" + sent +
                                 "&hits=1&format=json&formatVersion=2&elements=count HTTP/1.1")
        << price;
  }
}

TEST_F(CurrentService, HitListAsksForThirtyCheapestFirstWithTheAffiliateId) {
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

  UseService(Lines(HttpEndpoint()), kWatch);  // without an affiliate id: the item's own page
  ClearHitTable();
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(table.affiliateUrl[0].find("scid"), std::string::npos);
  const auto lines = LogLines();
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0], "hit list | listed 30 | " + HttpEndpoint() +
                          "?applicationId=" + standin::kApplicationId +
                          "&accessKey=****&affiliateId=af.01&keyword=%E8%85%95%E6%99%82%E8%A8%88"
                          "&sort=%2BitemPrice&availability=0&hits=30&format=json&formatVersion=2"
                          "&elements=count,itemName,itemCode,itemPrice,itemUrl,affiliateUrl,"
                          "pointRate,shopName");
}

TEST_F(CurrentService, NothingFoundIsACountOfZero) {
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

TEST_F(CurrentService, ServiceErrorsFailTheQueryWithOneLogLineEach) {
  struct Case {
    std::string lines;
    std::string mode;
    std::string outcome;
  };
  const std::vector<Case> cases = {
      {Lines(HttpEndpoint(), "unregistered"), "",
       "service error 400 wrong_parameter: specify valid applicationId"},
      {Lines(HttpEndpoint(), standin::kApplicationId, "pk_wrong"), "",
       "service error 401 invalid_access_key: accessKey **** is not valid"},
      {Lines(HttpEndpoint()), "deny=ip",
       "service error 403 access_denied: the request does not come from an allowed IP address"},
      {Lines(HttpEndpoint(), standin::kWebApplicationId), "",
       "service error 403 403: REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING"},
      {Lines(mall.Url("/fault/status/503")), "", "service error 503"},
      {Lines("ftp://127.0.0.1/x"), "", "settings error: ENDPOINT is not an http or https address"},
      {Lines(UnreachableUrl()), "", "network error: "},
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
    mall.SetServiceMode("deny=none");
  }
  // The web application's requests carry its site.
  UseService(Lines(HttpEndpoint(), standin::kWebApplicationId) +
             "REFERER=" + standin::kWebApplicationSite + "\r\n");
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(count, 4);
  EXPECT_EQ(Log().find("pk_"), std::string::npos);
}

TEST_F(CurrentService, TheAccessKeyIsMaskedEvenWhereTheServiceEchoesIt) {
  // The stand-in names a key it refuses.
  UseService(Lines(HttpEndpoint(), standin::kApplicationId, "pk_Echoed/Key9"));
  int count = 0;
  QueryHitCount(count);
  const std::string log = Log();
  EXPECT_EQ(log.find("pk_Echoed"), std::string::npos) << log;
  EXPECT_NE(log.find("accessKey=****"), std::string::npos) << log;
  for (const std::string& request : mall.RequestLines()) {
    EXPECT_EQ(request.find("pk_"), std::string::npos) << request;
  }
}

TEST_F(CurrentService, TwoSearchesInARowWaitForTheirTurn) {
  SetServiceIntervalForTesting(milliseconds(1000));
  mall.SetServiceMode("rate=strict");
  UseService(Lines(HttpEndpoint()), kWatch);
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_EQ(QueryHitList(), 0);
  EXPECT_GE(std::chrono::steady_clock::now() - start, milliseconds(1000));
  EXPECT_EQ(watchState.hitListRows, 30);
}

TEST_F(CurrentService, HttpsTrustsTheGoodCertificateOnly) {
  platform::http::SetTrustedCaFileForTesting(mall.CaFile());
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
  }
  // Without the test authority the good certificate is a stranger too.
  platform::http::SetTrustedCaFileForTesting("");
  UseService(Lines(HttpsEndpoint("good")));
  EXPECT_EQ(QueryHitCount(count), -1);
}

TEST_F(CurrentService, WithoutBothIdAndKeyTheDescribedInterfaceIsAskedAndLogged) {
  UseService("APPLICATION_ID=" + std::string(standin::kApplicationId) + "\r\n");
  int count = -1;
  EXPECT_EQ(QueryHitCount(count), 0);
  EXPECT_EQ(LastRequest().rfind("GET /rws/3.0/rest?developerId=", 0), 0u);
  EXPECT_EQ(count, 4);
  mall.ArmFault("mode=status&code=404");
  EXPECT_EQ(QueryHitCount(count), -1);
  settings.scanKeyword = kNothing;
  EXPECT_EQ(QueryHitList(), 0);
  SetServiceHostsForTesting(UnreachableUrl().substr(7, UnreachableUrl().size() - 8), mall.host());
  EXPECT_EQ(QueryHitCount(count), -1);
  settings.scanKeyword = "";
  EXPECT_EQ(QueryHitList(), -2);

  std::vector<std::string> outcomes;
  for (const std::string& line : LogLines()) outcomes.push_back(line.substr(0, line.find(" | h")));
  EXPECT_EQ(outcomes.size(), 5u);
  outcomes.resize(5);
  EXPECT_EQ(outcomes[0], "count | count 4");
  EXPECT_EQ(outcomes[1], "count | service error 404");
  EXPECT_EQ(outcomes[2], "hit list | nothing found");
  EXPECT_EQ(outcomes[3].substr(0, 23), "count | network error: ");
  EXPECT_EQ(outcomes[4], "hit list | skipped: no keyword | ");
}

TEST_F(CurrentService, SavingKeepsTheServiceSectionAsTheUserWroteIt) {
  const std::string service =
      "[SERVICE]\r\n; mine\r\nACCESS_KEY = \"pk_x\"\r\nAPPLICATION_ID=a\r\n";
  WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\n" + service);
  LoadSettings();
  EXPECT_EQ(watchState.service.accessKey, "pk_x");
  EXPECT_EQ(watchState.service.applicationId, "a");
  settings.scanKeyword = kWatch;
  SaveSettings();
  const std::string saved = ReadFile(sandbox.IniPath());
  EXPECT_NE(saved.find(service), std::string::npos) << saved;
}

}  // namespace
