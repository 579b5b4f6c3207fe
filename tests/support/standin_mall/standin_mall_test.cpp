#include "support/standin_mall.h"

#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "service/fetch_page.h"
#include "support/standin_mall/service_keys.h"

namespace {

using testing_support::StandInMall;

constexpr char kWatch[] = "%E8%85%95%E6%99%82%E8%A8%88";                      // 腕時計
constexpr char kLuckyBag[] = "%E7%A6%8F%E8%A2%8B";                            // 福袋
constexpr char kWallet[] = "%E8%B2%A1%E5%B8%83";                              // 財布
constexpr char kMug[] = "%E3%83%9E%E3%82%B0%E3%82%AB%E3%83%83%E3%83%97";      // マグカップ
constexpr char kLimitedWallet[] = "%E9%99%90%E5%AE%9A%20%E8%B2%A1%E5%B8%83";  // 限定 財布

size_t Occurrences(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != text.npos; at = text.find(what, at + 1)) ++n;
  return n;
}

// The texts of every element of that name, in order.
std::vector<std::string> Elements(const std::string& xml, const std::string& name) {
  std::vector<std::string> texts;
  const std::string open = "<" + name + ">";
  const std::string close = "</" + name + ">";
  for (size_t at = xml.find(open); at != xml.npos; at = xml.find(open, at + 1)) {
    const size_t start = at + open.size();
    texts.push_back(xml.substr(start, xml.find(close, start) - start));
  }
  return texts;
}

class StandInMallTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mall = std::make_unique<StandInMall>(); }
  static void TearDownTestSuite() { mall.reset(); }

  static std::string Get(const std::string& pathAndQuery) {
    std::string body;
    EXPECT_EQ(FetchPage(body, mall->Url(pathAndQuery)), 0) << pathAndQuery;
    return body;
  }
  static std::string SearchPath(const std::string& parameters) {
    return "/rws/3.0/rest?developerId=5f3a9c1e7b2d4086a1e9c3b7d5f20864&operation=ItemSearch"
           "&version=2010-09-15" +
           parameters;
  }
  static std::string Search(const std::string& parameters) { return Get(SearchPath(parameters)); }

  static inline std::unique_ptr<StandInMall> mall;
};

// The offline demo picks another port when --port fails, so a busy port must not be shared.
TEST_F(StandInMallTest, ASecondStandInCannotListenOnABusyPort) {
  EXPECT_THROW(StandInMall second(mall->port()), std::runtime_error);
}

TEST_F(StandInMallTest, ItemSearchAnnouncesEveryMatchAndCarriesThirtyCheapestFirst) {
  const std::string all =
      Search(std::string("&keyword=") + kWatch + "&sort=%2BitemPrice&availability=0");
  EXPECT_EQ(Elements(all, "Status"), std::vector<std::string>{"Success"});
  EXPECT_EQ(Elements(all, "count"), std::vector<std::string>{"38"});
  EXPECT_EQ(Elements(all, "hits"), std::vector<std::string>{"30"});
  EXPECT_EQ(Occurrences(all, "<Item>"), 30u);
  std::vector<int> prices;
  for (const std::string& price : Elements(all, "itemPrice")) prices.push_back(std::stoi(price));
  EXPECT_TRUE(std::is_sorted(prices.begin(), prices.end()));

  const std::string inStock = Search(std::string("&keyword=") + kWatch + "&availability=1");
  EXPECT_EQ(Elements(inStock, "count"), std::vector<std::string>{"35"});
  EXPECT_EQ(Elements(inStock, "hits"), std::vector<std::string>{"30"});

  const std::string cheap =
      Search(std::string("&keyword=") + kWatch + "&availability=1&maxPrice=3000");
  EXPECT_EQ(Elements(cheap, "itemPrice"), (std::vector<std::string>{"1480", "1980", "2980"}));
}

TEST_F(StandInMallTest, ItemSearchSaysNotFoundOrClientError) {
  const std::string none = Search("&keyword=%E5%AD%98%E5%9C%A8%E3%81%97%E3%81%AA%E3%81%84");
  EXPECT_EQ(Elements(none, "Status"), std::vector<std::string>{"NotFound"});
  EXPECT_EQ(Elements(none, "count"), std::vector<std::string>{"0"});
  EXPECT_EQ(Occurrences(none, "<Item>"), 0u);

  const std::string key = "&keyword=" + std::string(kWatch);
  for (const std::string& wrong :
       {Get("/rws/3.0/rest?developerId=0&operation=ItemSearch&version=2010-09-15" + key),
        Get("/rws/3.0/rest?developerId=5f3a9c1e7b2d4086a1e9c3b7d5f20864&operation=Other"
            "&version=2010-09-15" +
            key),
        Search(key + "&sort=+itemPrice"),  // a plus sign that was not encoded reads as a blank
        Search(key + "&maxPrice=12a")}) {
    EXPECT_EQ(Elements(wrong, "Status"), std::vector<std::string>{"ClientError"});
    EXPECT_EQ(Occurrences(wrong, "<count>"), 0u);
  }
}

TEST_F(StandInMallTest, ItemRecordsEscapeMarkupAndCarryTheAffiliateId) {
  const std::string withId = Search(std::string("&affiliateId=ab.cd&keyword=") + kLimitedWallet);
  EXPECT_EQ(Elements(withId, "itemName"),
            std::vector<std::string>{"【限定】&lt;本革&gt; 長財布 &amp; 小銭入れセット"});
  EXPECT_EQ(Elements(withId, "shopName"), std::vector<std::string>{"革小物の店 T&amp;M"});
  const std::string page = mall->Url("/item/tandm:30000003");
  EXPECT_EQ(Elements(withId, "itemUrl"), std::vector<std::string>{page});
  EXPECT_EQ(Elements(withId, "affiliateUrl"),
            std::vector<std::string>{page + "?scid=af_ab.cd&amp;sc2id=1"});
  EXPECT_NE(Get("/item/tandm:30000003").find("&lt;本革&gt;"), std::string::npos);

  const std::string withoutId = Search(std::string("&keyword=") + kLimitedWallet);
  EXPECT_EQ(Elements(withoutId, "affiliateUrl"), std::vector<std::string>{""});
}

TEST_F(StandInMallTest, SearchPageShowsEachKeywordsTimeSaleMark) {
  const std::string badge = "<span class=\"salesStatus\">";
  const std::string iconArea = "<div class=\"iconArea clfx\">";
  const auto firstBadge = [&](const std::string& page) {
    const size_t start = page.find(badge) + badge.size();
    return page.substr(start, page.find("</span>", start) - start);
  };
  const std::string luckyBags = Get(std::string("/search/mall?sitem=") + kLuckyBag);
  EXPECT_EQ(firstBadge(luckyBags), "販売終了");
  const std::string wallets = Get(std::string("/search/mall?sitem=") + kWallet);
  EXPECT_EQ(firstBadge(wallets), "残りわずか");
  const std::string watches = Get(std::string("/search/mall?sitem=") + kWatch);
  EXPECT_EQ(watches.find(badge), std::string::npos);
  EXPECT_NE(watches.find(iconArea), std::string::npos);
  for (const std::string& plain : {Get(std::string("/search/mall?sitem=") + kMug),
                                   Get("/search/mall?sitem=%E5%AD%98%E5%9C%A8")}) {
    EXPECT_EQ(plain.find(badge), std::string::npos);
    EXPECT_EQ(plain.find(iconArea), std::string::npos);
  }
}

TEST_F(StandInMallTest, AnArmedFaultHitsTheNextServiceAnswerOnly) {
  const std::string query = std::string("&keyword=") + kWatch;
  const std::string whole = Search(query);

  mall->ArmFault("mode=reset-mid-body&at=1000");
  std::string cut;
  EXPECT_EQ(FetchPage(cut, mall->Url(SearchPath(query))), -1);
  EXPECT_EQ(cut, whole.substr(0, whole.rfind('\n', 999) + 1));
  EXPECT_EQ(Search(query), whole);

  mall->ArmFault("mode=status&code=404");
  EXPECT_EQ(Get(std::string("/search/mall?sitem=") + kWatch), "");

  // The whole answer as one line, shifted so that the line reader's pieces split the markers.
  mall->ArmFault("mode=one-line&pad=4990");
  const std::string oneLine = Search(query);
  EXPECT_EQ(oneLine.find('\n'), std::string::npos);
  EXPECT_EQ(Elements(oneLine, "count"), std::vector<std::string>{"38"});

  mall->ArmFault("mode=redirect");
  EXPECT_EQ(Search(query), whole);

  EXPECT_THROW(mall->ArmFault("mode=no-such-fault"), std::runtime_error);
}

// The IchibaItem/Search service as it answers today: the gateway's checks (key, caller, rate) in
// its own form, then the service's (application, version, keyword) in the classic one, then the
// answer in either format; a request log that never shows the key.
TEST_F(StandInMallTest, IchibaSearchAnswersAsTheServiceDoes) {
  const std::string id = std::string("&applicationId=") + standin::kApplicationId;
  const std::string key = std::string("&accessKey=") + standin::kAccessKey;
  const auto answer = [&](const std::string& query, const char* path = standin::kSearchPath20260701,
                          const std::string& referer = "") {
    const service::FetchResult fetched = service::FetchServiceAnswer(
        mall->Url(path + ("?keyword=" + std::string(kLuckyBag) + query)), referer);
    EXPECT_FALSE(fetched.failure);
    return std::to_string(fetched.status) + " " + fetched.body;
  };
  mall->SetServiceMode("rate=off");
  EXPECT_EQ(answer(id),
            R"(400 {"errors":{"errorCode":400,"errorMessage":"accessKey must be present as a )"
            R"(query parameter or in the header"}})");
  EXPECT_EQ(answer(id + "&accessKey=pk_wrong"),
            R"(403 {"errors":{"errorCode":403,"errorMessage":"Invalid Access Key"}})");
  EXPECT_EQ(answer(key),
            R"(400 {"error_description":"specify valid applicationId","error":"wrong_parameter"})");
  const std::string web = std::string("&applicationId=") + standin::kWebApplicationId + key;
  EXPECT_EQ(answer(web), R"(403 {"errors":{"errorCode":403,"errorMessage":)"
                         R"("REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING"}})");
  EXPECT_EQ(answer(web, standin::kSearchPath20260701, "https://elsewhere.example/"),
            R"(403 {"errors":{"errorCode":403,"errorMessage":"HTTP_REFERRER_NOT_ALLOWED"}})");
  EXPECT_EQ(answer(web + "&elements=count", standin::kSearchPath20260701,
                   std::string(standin::kWebApplicationSite) + "/a/page"),
            R"(200 {"count":3})");  // in stock only, as the service's default
  EXPECT_EQ(answer(id + key, standin::kSearchPath20220601),
            R"(400 {"error":"wrong_parameter","error_description":"API Configuration not found"})");
  EXPECT_EQ(answer(id + key + "&availability=0&elements=count", standin::kSearchPath20260401),
            R"(200 {"count":4})");
  EXPECT_EQ(answer("%20G" + id + key),
            R"(400 {"error_description":"keyword is not valid","error":"wrong_parameter"})");
  const std::string cheapest = "&sort=%2BitemPrice";
  EXPECT_EQ(answer(id + key + cheapest +
                   "&availability=0&formatVersion=2&elements=count,itemCode&hits=2"),
            R"(200 {"Items":[{"itemCode":"fukubukuro-ichiba:20000003"},)"
            R"({"itemCode":"fukubukuro-ichiba:20000001"}],"count":4})");
  EXPECT_EQ(answer(id + key + "&elements=itemCode&hits=1" + cheapest),
            R"(200 {"Items":[{"Item":{"itemCode":"fukubukuro-ichiba:20000003"}}]})");
  // Without a sort, the standard order (here the catalogue's), not the cheapest first.
  EXPECT_EQ(answer(id + key + "&elements=itemCode&hits=1"),
            R"(200 {"Items":[{"Item":{"itemCode":"fukubukuro-ichiba:20000001"}}]})");
  // The sale of 福袋's cheapest item ended half an hour ago, in Japan time.
  const std::string timed =
      answer(id + key + cheapest + "&formatVersion=2&elements=endTime&hits=1");
  const std::time_t halfAnHourAgo = std::time(nullptr) - 30 * 60 + 9 * 3600;
  std::tm japan{};
  gmtime_r(&halfAnHourAgo, &japan);
  char expected[64];
  std::strftime(expected, sizeof expected, R"(200 {"Items":[{"endTime":"%Y-%m-%d %H:%M"}]})",
                &japan);
  EXPECT_EQ(timed, expected);

  mall->SetServiceMode("rate=strict");
  EXPECT_EQ(answer(id + key + "&elements=count").substr(0, 3), "200");
  EXPECT_EQ(
      answer(id + key + "&elements=count"),
      R"(429 {"statusCode":429,"message":"Rate limit is exceeded. Try again in 1 seconds."})");
  mall->SetServiceMode("rate=off&deny=ip");
  EXPECT_EQ(answer(id + key + "&elements=count"),
            R"(403 {"errors":{"errorCode":403,"errorMessage":"CLIENT_IP_NOT_ALLOWED"}})");
  mall->SetServiceMode("deny=none&fail=503");
  EXPECT_EQ(answer(id + key), R"(503 {"error_description":"IchibaItem/Search/20260701 is under )"
                              R"(maintenance","error":"service_unavailable"})");
  mall->SetServiceMode("fail=none&rate=strict");
  for (const std::string& request : mall->RequestLines()) {
    EXPECT_EQ(request.find(standin::kAccessKey), std::string::npos) << request;
  }
}

// A floor, words to leave out and postage included, as the service documents them: both bounds
// inclusive, the count after every filter, a floor not below the ceiling refused.
TEST_F(StandInMallTest, IchibaSearchNarrowsAsTheServiceDocuments) {
  mall->SetServiceMode("rate=off");
  const std::string request = std::string(standin::kSearchPath20260701) +
                              "?applicationId=" + standin::kApplicationId +
                              "&accessKey=" + standin::kAccessKey +
                              "&keyword=SZ100&sort=%2BitemPrice&availability=0&hits=1"
                              "&formatVersion=2&elements=count,itemPrice,postageFlag";
  const std::string belt = "%E3%83%99%E3%83%AB%E3%83%88";           // ベルト
  const std::string film = "%E3%83%95%E3%82%A3%E3%83%AB%E3%83%A0";  // フィルム
  const std::vector<std::pair<std::string, std::string>> cases = {
      {"&minPrice=480&maxPrice=5980",
       R"(200 {"Items":[{"itemPrice":480,"postageFlag":0}],"count":3})"},
      {"&NGKeyword=" + belt + "%20" + film + "&minPrice=5000",
       R"(200 {"Items":[{"itemPrice":9480,"postageFlag":1}],"count":2})"},
      {"&postageFlag=1&minPrice=1000",
       R"(200 {"Items":[{"itemPrice":1280,"postageFlag":0}],"count":2})"},
      {"&minPrice=5980&maxPrice=5980",
       R"(400 {"error_description":"maxPrice must be greater than minPrice",)"
       R"("error":"wrong_parameter"})"},
      {"&NGKeyword=G",
       R"(400 {"error_description":"NGKeyword parameter is not valid","error":"wrong_parameter"})"},
  };
  for (const auto& [narrowing, expected] : cases) {
    const service::FetchResult fetched =
        service::FetchServiceAnswer(mall->Url(request + narrowing), "");
    EXPECT_EQ(std::to_string(fetched.status) + " " + fetched.body, expected) << narrowing;
  }
  mall->SetServiceMode("rate=strict");
}

// Long fields reach the items of a JSON answer as they reach the XML records: every itemName and
// affiliateUrl grows at its end, in either format, and nothing else changes.
TEST_F(StandInMallTest, LongFieldsGrowEveryItemOfAJsonAnswer) {
  mall->SetServiceMode("rate=off");
  const auto answer = [](const std::string& version) {
    const std::string request =
        std::string(standin::kSearchPath20260701) + "?applicationId=" + standin::kApplicationId +
        "&accessKey=" + standin::kAccessKey + "&affiliateId=af" + "&keyword=" + kLuckyBag +
        "&hits=2&formatVersion=" + version + "&elements=count,itemName,affiliateUrl";
    return service::FetchServiceAnswer(mall->Url(request), "").body;
  };
  const auto unpadded = [](std::string body) {
    for (const std::string padding : {"長長\"", "xx\""}) {
      for (size_t at = body.find(padding); at != body.npos; at = body.find(padding, at)) {
        body.replace(at, padding.size(), "\"");
      }
    }
    return body;
  };
  for (const std::string version : {"1", "2"}) {
    const std::string plain = answer(version);
    mall->ArmFault("mode=long-fields&chars=2");
    const std::string padded = answer(version);
    EXPECT_EQ(Occurrences(padded, "長長\""), 2u) << padded;
    EXPECT_EQ(Occurrences(padded, "xx\""), 2u) << padded;
    EXPECT_EQ(unpadded(padded), plain);
  }
  mall->SetServiceMode("rate=strict");
}

}  // namespace
