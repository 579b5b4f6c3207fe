#include "service/ichiba/json_answer.h"

#include <string>
#include <utility>
#include <vector>

#include <gtest/gtest.h>

#include "service/check_outcome.h"
#include "service/described/clear_hit_table.h"
#include "service/ichiba/answer_fields.h"
#include "service/outcome_text.h"
#include "state/watch_state.h"
#include "support/hit_table_test.h"

namespace service {

namespace {

// An item of a formatVersion 2 answer; the fields' values as JSON text.
std::string Item(int n, const std::string& affiliateUrl = "\"\"") {
  return R"({"itemName":"腕時計 )" + std::to_string(n) + R"(","itemCode":"shop:)" +
         std::to_string(n) + R"(","itemPrice":)" + std::to_string(1000 + n) +
         R"(,"itemUrl":"https://item.example/)" + std::to_string(n) + R"(","affiliateUrl":)" +
         affiliateUrl + R"(,"pointRate":2,"shopName":"ショップ"})";
}

std::string Answer(int items) {
  std::string list;
  for (int i = 0; i < items; ++i) list += (i > 0 ? "," : "") + Item(i);
  return R"({"count":)" + std::to_string(items) + R"(,"hits":30,"Items":[)" + list + "]}";
}

using JsonAnswer = testing_support::HitTableTest;

TEST_F(JsonAnswer, CountIsAWholeNumberWithinTheIntRange) {
  EXPECT_EQ(ReadJsonCount(R"({"count":38,"Items":[]})"), 38);
  EXPECT_EQ(ReadJsonCount(R"({"count":0,"page":1,"Items":[]})"), 0);
  EXPECT_EQ(ReadJsonCount("\xEF\xBB\xBF{\"count\":2147483647}"), 2147483647);  // with a BOM
  for (const char* body :
       {R"({"count":"12"})", R"({"count":-1})", R"({"count":1.5})", R"({"count":2147483648})",
        R"({"count":1e400})", R"({"count":null})", R"({"hits":3})", R"([{"count":3}])", "",
        "not json", R"({"count":3)", R"({"count":3} trailing)"}) {
    EXPECT_FALSE(ReadJsonCount(body)) << body;
  }
}

TEST_F(JsonAnswer, HitListFillsRowsInCodePage932WithTheItemAddressAsFallback) {
  const std::string body =
      R"({"count":2,"Items":[)" + Item(0, R"("https://af.example/0")") + "," + Item(1) + "]}";
  EXPECT_EQ(ReadJsonHitList(body), 0);
  EXPECT_EQ(watchState.hitCount, 2);
  EXPECT_EQ(table.itemName[0], "\x98\x72\x8E\x9E\x8C\x76 0");  // 腕時計 in code page 932
  EXPECT_EQ(table.itemCode[1], "shop:1");
  EXPECT_EQ(table.itemPrice[1], "1001");
  EXPECT_EQ(table.pointRate[0], "2");
  EXPECT_EQ(table.shopName[0], "\x83\x56\x83\x87\x83\x62\x83\x76");  // ショップ
  EXPECT_EQ(table.affiliateUrl[0], "https://af.example/0");
  EXPECT_EQ(table.affiliateUrl[1], "https://item.example/1");  // no affiliate address came
  EXPECT_EQ(table.rowIndex[1], "1");
  EXPECT_EQ(table.itemName[2], "");
}

// The first item, cheapest when asked so: its price as a number or a text of digits, its postage
// only as 0 or 1, the item's own address where no affiliate address came; and as the tip, the
// notice and --check show it: the yen with separators, a long name cut between characters, every
// control character of the service's shown as an escape.
TEST_F(JsonAnswer, TheCheapestMatchIsReadAndShownAsPeopleReadIt) {
  const auto match = ReadJsonCheapest(R"({"count":2,"Items":[)" + Item(0) + "," + Item(1) + "]}");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->name, "腕時計 0");
  EXPECT_EQ(match->price, 1000u);
  EXPECT_FALSE(match->postageIncluded);
  EXPECT_EQ(match->shop, "ショップ");
  EXPECT_EQ(match->address, "https://item.example/0");
  EXPECT_EQ(MatchNotice(*match), "腕時計 0\n1,000円 ショップ");
  EXPECT_EQ(MatchLine(*match), "1,000円 ショップ — 腕時計 0 — https://item.example/0");
  for (const auto& [fields, shown] : std::vector<std::pair<std::string, std::string>>{
           {R"("itemPrice":"980","postageFlag":0)", "\n980円 送料込"},
           {R"("itemPrice":1234567890,"postageFlag":1,"shopName":"S\u0007\u202e")",
            "\n1,234,567,890円 送料別 S\\x07\\u202e"},
           {R"("itemPrice":-5,"postageFlag":2)", "\n価格不明"},
           {R"("itemPrice":12.5,"postageFlag":"1")", "\n価格不明 送料別"},
           {R"("itemName":"a\r\nb\u0085c","itemPrice":0)", "a\\x0d\\x0ab\\u0085c\n0円"},
           {R"("itemName":")" + std::string(200, 'x') + R"(","itemPrice":999)",
            std::string(150, 'x') + "…\n999円"},
           {R"("itemName":")" + std::string(149, 'x') + R"(時")",
            std::string(149, 'x') + "…\n価格不明"},
       }) {
    const auto read = ReadJsonCheapest(R"({"Items":[{)" + fields + "}]}");
    ASSERT_TRUE(read) << fields;
    EXPECT_EQ(MatchNotice(*read), shown) << fields;
  }
  for (const char* body : {R"({"count":0,"Items":[]})", R"({"count":3})", R"({"Items":[3]})",
                           R"({"Items":{"itemName":"x"}})", "not json"}) {
    EXPECT_FALSE(ReadJsonCheapest(body)) << body;
  }
}

// A text is decoded only as far as the reading keeps it, and ends between characters however
// the answer wrote the character at the cut: as UTF-8, an escape, or a pair of them.
TEST_F(JsonAnswer, TextsAreCutBetweenCharactersAtTheBytesKept) {
  struct Case {
    const char* written;
    size_t kept;
    std::string text;
    bool cut;
  };
  for (const Case& c : std::vector<Case>{
           {"abcd", 4, "abcd", false},
           {"abcde", 4, "abcd", true},
           {"ab長", 4, "ab", true},
           {R"(ab\u9577)", 4, "ab", true},
           {R"(ab\u9577)", 5, "ab長", false},
           {R"(a\ud83d\ude00)", 4, "a", true},
           {R"(a\ud83d\ude00)", 5, "a\xF0\x9F\x98\x80", false},
           {R"(a\n\"\\\/\b\f\r\tz)", 9, "a\n\"\\/\b\f\r\t", true},
           {R"(\u0000)", 1, std::string(1, '\0'), false},
           {"", 0, "", false},
       }) {
    const auto read = ReadAnswerFields(R"({"error":")" + std::string(c.written) + R"("})", c.kept);
    ASSERT_TRUE(read && read->error) << c.written;
    EXPECT_EQ(read->error->text, c.text) << c.written;
    EXPECT_EQ(read->error->cut, c.cut) << c.written;
  }
}

// The cheapest match keeps 2,048 bytes of a name, far more than the mall lets a name have; an
// address that long is dropped, not cut, as a cut one would open another page.
TEST_F(JsonAnswer, TheCheapestMatchKeepsALongNamesStartAndNoCutAddress) {
  std::string longName = "x";
  for (int i = 0; i < 1000; ++i) longName += "長";  // 3,001 bytes: the cut falls inside a 長
  const std::string longAddress = "https://af.example/" + std::string(3000, 'x');
  const auto match = ReadJsonCheapest(R"({"Items":[{"itemName":")" + longName +
                                      R"(","itemUrl":"https://item.example/1","affiliateUrl":")" +
                                      longAddress + R"("}]})");
  ASSERT_TRUE(match);
  EXPECT_EQ(match->name, longName.substr(0, 2047));
  EXPECT_EQ(match->address, "https://item.example/1");
  const auto noAddress = ReadJsonCheapest(R"({"Items":[{"itemUrl":")" + longAddress + R"("}]})");
  ASSERT_TRUE(noAddress);
  EXPECT_EQ(noAddress->address, "");
}

// What the reading takes for JSON and what it refuses, wherever it stands in the answer.
TEST_F(JsonAnswer, OnlySoundJsonIsRead) {
  for (const char* body : {
           R"( {"count" : 3 , "x":[true,false,null,-0.5e+3,{},[]]} )",
           "{\"x\":\"\xE2\x82\xAC\xF0\x9F\x98\x80\",\"count\":3}",
           R"({"\u0063ount":3})",
           R"({"x":"\uDBFF\uDFFF","count":3})",
       }) {
    EXPECT_EQ(ReadJsonCount(body), 3) << body;
  }
  for (const char* body : {
           R"({"count":3,})",
           R"({"count":3,"x"})",
           R"({"count" 3})",
           R"({count:3})",
           R"({"count":03})",
           R"({"count":3.})",
           R"({"count":.5})",
           R"({"count":1e})",
           R"({"count":+3})",
           R"({"count":3,"x":[1,]})",
           R"({"count":3,"x":tru})",
           R"({"count":3,"x":"\x"})",
           R"({"count":3,"x":"\u12G4"})",
           R"({"count":3,"x":"\ud800"})",
           R"({"count":3,"x":"\udc00\ud800"})",
           R"({"count":3,"x":"\ud800\u0041"})",
           "{\"count\":3,\"x\":\"a\tb\"}",
           "{\"count\":3,\"x\":\"\xC0\xAF\"}",
           "{\"count\":3,\"x\":\"\xED\xA0\x80\"}",
           "{\"count\":3,\"x\":\"\xE2\x82\"}",
           "{\"count\":3,\"x\":\"abc",
           R"({"count":3}})",
           R"({"count":3]})",
           "{\"count\":3}\xEF\xBB\xBF",
       }) {
    EXPECT_FALSE(ReadJsonCount(body)) << body;
  }
}

TEST_F(JsonAnswer, FormatVersionOneWrapsEachItem) {
  EXPECT_EQ(ReadJsonHitList(R"({"count":1,"Items":[{"Item":)" + Item(7) + "}]}"), 0);
  EXPECT_EQ(watchState.hitCount, 1);
  EXPECT_EQ(table.itemCode[0], "shop:7");
}

TEST_F(JsonAnswer, AtMostThirtyRowsAndNoneForAnEmptyList) {
  EXPECT_EQ(ReadJsonHitList(Answer(45)), 0);
  EXPECT_EQ(watchState.hitCount, 30);
  EXPECT_EQ(table.rowIndex[29], "29");
  ClearHitTable();
  EXPECT_EQ(ReadJsonHitList(Answer(0)), 0);
  EXPECT_EQ(watchState.hitCount, 0);
  EXPECT_EQ(table.itemName[0], "");
}

// An item that lacks a field, or has one of no use, keeps its row with that cell empty; an
// element that is no item is left out; only a body without a list of items fails.
TEST_F(JsonAnswer, AnItemWithAMissingOrOddFieldKeepsItsRow) {
  const std::string body =
      R"({"count":4,"Items":[)" + Item(0) +
      R"(,{"itemName":"x","itemCode":"c","itemPrice":"1980","itemUrl":"u","pointRate":1},17,)"
      R"({"itemName":["x"],"itemCode":{"a":1},"itemPrice":1.50,"pointRate":null,"shopName":"s"}]})";
  EXPECT_EQ(ReadJsonHitList(body), 0);
  EXPECT_EQ(watchState.hitCount, 3);
  EXPECT_EQ(table.itemPrice[1], "1980");  // a price sent as a text
  EXPECT_EQ(table.shopName[1], "");
  EXPECT_EQ(table.itemName[2], "");
  EXPECT_EQ(table.itemCode[2], "");
  EXPECT_EQ(table.itemPrice[2], "1.50");  // as the answer wrote it
  EXPECT_EQ(table.affiliateUrl[2], "");
  EXPECT_EQ(table.shopName[2], "s");
  EXPECT_EQ(table.rowIndex[2], "2");

  // The documentation spells the array "items"; answers seen carry "Items".
  ClearHitTable();
  EXPECT_EQ(ReadJsonHitList(R"({"count":1,"items":[)" + Item(4) + "]}"), 0);
  EXPECT_EQ(table.itemCode[0], "shop:4");
  EXPECT_EQ(ReadJsonSaleWindows(R"({"count":1,"items":[{"startTime":"a","endTime":"b"}]})")
                .value_or(std::vector<SaleWindow>{})
                .size(),
            1u);

  watchState.hitCount = 7;
  ClearHitTable();
  for (const char* failing :
       {R"({"count":2})", R"({"Items":{}})", R"({"Items":"x"})", "[]", "", R"({"Items":[1})"}) {
    EXPECT_EQ(ReadJsonHitList(failing), -1) << failing;
    EXPECT_EQ(watchState.hitCount, 7) << failing;
    EXPECT_EQ(table.itemName[0], "") << failing;
  }
}

// The service's three error forms: classic, the gateway's, the gateway's throttle.
TEST_F(JsonAnswer, ServiceErrorsInEveryForm) {
  ServiceError said = ReadServiceError(
      R"({"error_description":"specify valid applicationId","error":"wrong_parameter"})");
  EXPECT_EQ(said.error, "wrong_parameter");
  EXPECT_EQ(said.description, "specify valid applicationId");
  said = ReadServiceError(
      R"({"errors":{"errorCode":403,"errorMessage":"REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING"}})");
  EXPECT_EQ(said.error, "REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING");
  EXPECT_EQ(said.description, "");
  said = ReadServiceError(
      R"({"statusCode":429,"message":"Rate limit is exceeded. Try again in 1 seconds."})");
  EXPECT_EQ(said.error, "");
  EXPECT_EQ(said.description, "Rate limit is exceeded. Try again in 1 seconds.");
  for (const char* body : {"", "<html>Forbidden</html>", R"({"errors":"x"})", "[1]"}) {
    said = ReadServiceError(body);
    EXPECT_EQ(said.error, "") << body;
    EXPECT_EQ(said.description, "") << body;
  }
}

// The hits' time-sale windows, in either format version; an item without one has empty texts.
TEST_F(JsonAnswer, SaleWindowsAsTheAnswerWroteThem) {
  const auto windows = ReadJsonSaleWindows(
      R"({"count":3,"Items":[{"startTime":"2026-12-07 10:00","endTime":"2026-12-07 12:00"},)"
      R"({"Item":{"startTime":"","endTime":""}},{"itemName":"no times"}]})");
  ASSERT_TRUE(windows);
  ASSERT_EQ(windows->size(), 3u);
  EXPECT_EQ((*windows)[0].start, "2026-12-07 10:00");
  EXPECT_EQ((*windows)[0].end, "2026-12-07 12:00");
  EXPECT_EQ((*windows)[1].end, "");
  EXPECT_EQ((*windows)[2].start, "");
  EXPECT_FALSE(ReadJsonSaleWindows(R"({"count":0})"));
}

TEST_F(JsonAnswer, HugeAnswersAreReadOrRefusedWithoutHoldingThemWhole) {
  // 32 MiB in a field the readers do not read: the count still counts.
  const std::string filler(32u << 20, 'x');
  EXPECT_EQ(ReadJsonCount(R"({"itemCaption":")" + filler + R"(","count":12})"), 12);
  // Half a million elements: only the first thirty are looked at, and they are no items.
  std::string numbers = R"({"count":1,"Items":[)";
  while (numbers.size() < (1u << 20)) numbers += "1,";
  numbers += "1]}";
  EXPECT_EQ(ReadJsonHitList(numbers), 0);
  EXPECT_EQ(watchState.hitCount, 0);
  // 32 MiB of arrays that never close, where the count belongs.
  EXPECT_FALSE(ReadJsonCount(R"({"count":)" + std::string(32u << 20, '[')));
}

// Nesting deeper than any answer is refused wherever it stands, before it costs stack or memory.
TEST_F(JsonAnswer, DeepNestingIsRefusedUnderEveryNameTheReadersRead) {
  const auto nested = [](size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  const std::string deep = nested(150'000);
  EXPECT_FALSE(ReadJsonCount(R"({"count":)" + deep + "}"));
  EXPECT_FALSE(ReadJsonCount(R"({"x":)" + deep + R"(,"count":3})"));
  EXPECT_EQ(ReadJsonHitList(R"({"count":1,"Items":)" + deep + "}"), -1);
  EXPECT_EQ(ReadJsonHitList(R"({"count":1,"Items":[{"itemName":)" + deep + "}]}"), -1);
  EXPECT_EQ(watchState.hitCount, 0);
  const ServiceError said =
      ReadServiceError(R"({"error":)" + deep + R"(,"error_description":"x"})");
  EXPECT_EQ(said.error, "");
  EXPECT_EQ(ReadServiceError(R"({"errors":{"errorMessage":)" + deep + "}}").description, "");

  // An answer's own depth, and more, is read; a container where text belongs says nothing.
  EXPECT_EQ(ReadJsonCount(R"({"x":)" + nested(kMaxAnswerDepth - 1) + R"(,"count":3})"), 3);
  EXPECT_FALSE(ReadJsonCount(R"({"x":)" + nested(kMaxAnswerDepth) + R"(,"count":3})"));
  EXPECT_EQ(ReadServiceError(R"({"error":{"a":[1]},"error_description":"d"})").description, "d");
}

}  // namespace

}  // namespace service
