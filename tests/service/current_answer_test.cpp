#include "service/current_answer.h"

#include <string>

#include <gtest/gtest.h>

#include "service/answer_fields.h"
#include "service/hit_table.h"
#include "state/watch_state.h"

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

class CurrentAnswer : public ::testing::Test {
 protected:
  void SetUp() override {
    ClearHitTable();
    watchState.hitCount = 0;
  }
  const HitTable& table = watchState.hitTable;
};

TEST_F(CurrentAnswer, CountIsAWholeNumberWithinTheIntRange) {
  int count = 5;
  EXPECT_EQ(ReadCurrentCount(R"({"count":38,"Items":[]})", count), 0);
  EXPECT_EQ(count, 38);
  EXPECT_EQ(ReadCurrentCount(R"({"count":0,"page":1,"Items":[]})", count), 0);
  EXPECT_EQ(count, 0);
  EXPECT_EQ(ReadCurrentCount("\xEF\xBB\xBF{\"count\":2147483647}", count), 0);  // with a BOM
  EXPECT_EQ(count, 2147483647);
  for (const char* body :
       {R"({"count":"12"})", R"({"count":-1})", R"({"count":1.5})", R"({"count":2147483648})",
        R"({"count":1e400})", R"({"count":null})", R"({"hits":3})", R"([{"count":3}])", "",
        "not json", R"({"count":3)", R"({"count":3} trailing)"}) {
    count = 5;
    EXPECT_EQ(ReadCurrentCount(body, count), -1) << body;
    EXPECT_EQ(count, -1) << body;
  }
}

TEST_F(CurrentAnswer, HitListFillsRowsInCodePage932WithTheItemAddressAsFallback) {
  const std::string body =
      R"({"count":2,"Items":[)" + Item(0, R"("https://af.example/0")") + "," + Item(1) + "]}";
  EXPECT_EQ(ReadCurrentHitList(body), 0);
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

TEST_F(CurrentAnswer, FormatVersionOneWrapsEachItem) {
  EXPECT_EQ(ReadCurrentHitList(R"({"count":1,"Items":[{"Item":)" + Item(7) + "}]}"), 0);
  EXPECT_EQ(watchState.hitCount, 1);
  EXPECT_EQ(table.itemCode[0], "shop:7");
}

TEST_F(CurrentAnswer, AtMostThirtyRowsAndNoneForAnEmptyList) {
  EXPECT_EQ(ReadCurrentHitList(Answer(45)), 0);
  EXPECT_EQ(watchState.hitCount, 30);
  EXPECT_EQ(table.rowIndex[29], "29");
  ClearHitTable();
  EXPECT_EQ(ReadCurrentHitList(Answer(0)), 0);
  EXPECT_EQ(watchState.hitCount, 0);
  EXPECT_EQ(table.itemName[0], "");
}

TEST_F(CurrentAnswer, AnItemWithAMissingOrWrongFieldFailsAndWritesNothing) {
  watchState.hitCount = 7;
  const std::string good = Item(0);
  for (
      const char* bad :
      {R"({"itemName":"x","itemCode":"c","itemPrice":1,"itemUrl":"u","pointRate":1})",
       R"({"itemName":["x"],"itemCode":"c","itemPrice":1,"itemUrl":"u","pointRate":1,"shopName":"s"})",
       R"({"itemName":"x","itemCode":"c","itemPrice":1,"pointRate":1,"shopName":"s"})", "17",
       "null"}) {
    EXPECT_EQ(ReadCurrentHitList(R"({"count":2,"Items":[)" + good + "," + bad + "]}"), -1) << bad;
    EXPECT_EQ(table.itemName[0], "") << bad;
    EXPECT_EQ(watchState.hitCount, 7) << bad;
  }
  for (const char* body : {R"({"count":2})", R"({"Items":{}})", R"({"Items":"x"})", "[]", ""}) {
    EXPECT_EQ(ReadCurrentHitList(body), -1) << body;
  }
}

TEST_F(CurrentAnswer, ServiceErrorsInEitherForm) {
  ServiceError said = ReadServiceError(
      R"({"error":"wrong_parameter","error_description":"specify valid applicationId"})");
  EXPECT_EQ(said.error, "wrong_parameter");
  EXPECT_EQ(said.description, "specify valid applicationId");
  said = ReadServiceError(
      R"({"errors":{"errorCode":403,"errorMessage":"REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING"}})");
  EXPECT_EQ(said.error, "403");
  EXPECT_EQ(said.description, "REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING");
  for (const char* body : {"", "<html>Forbidden</html>", R"({"errors":"x"})", "[1]"}) {
    said = ReadServiceError(body);
    EXPECT_EQ(said.error, "") << body;
    EXPECT_EQ(said.description, "") << body;
  }
}

TEST_F(CurrentAnswer, HugeAnswersAreReadOrRefusedWithoutHoldingThemWhole) {
  // 32 MiB in a field the readers do not read: the count still counts.
  const std::string filler(32u << 20, 'x');
  int count = -1;
  EXPECT_EQ(ReadCurrentCount(R"({"itemCaption":")" + filler + R"(","count":12})", count), 0);
  EXPECT_EQ(count, 12);
  // Half a million items: only the first thirty are kept, and they are no items.
  std::string numbers = R"({"count":1,"Items":[)";
  while (numbers.size() < (1u << 20)) numbers += "1,";
  numbers += "1]}";
  EXPECT_EQ(ReadCurrentHitList(numbers), -1);
  // 32 MiB of arrays that never close, where the count belongs.
  EXPECT_EQ(ReadCurrentCount(R"({"count":)" + std::string(32u << 20, '['), count), -1);
}

// Nesting deeper than any answer is refused wherever it stands, before it costs stack or memory.
TEST_F(CurrentAnswer, DeepNestingIsRefusedUnderEveryNameTheReadersRead) {
  const auto nested = [](size_t depth) {
    return std::string(depth, '[') + std::string(depth, ']');
  };
  const std::string deep = nested(150'000);
  int count = 5;
  EXPECT_EQ(ReadCurrentCount(R"({"count":)" + deep + "}", count), -1);
  EXPECT_EQ(ReadCurrentCount(R"({"x":)" + deep + R"(,"count":3})", count), -1);
  EXPECT_EQ(ReadCurrentHitList(R"({"count":1,"Items":)" + deep + "}"), -1);
  EXPECT_EQ(ReadCurrentHitList(R"({"count":1,"Items":[{"itemName":)" + deep + "}]}"), -1);
  EXPECT_EQ(watchState.hitCount, 0);
  const ServiceError said =
      ReadServiceError(R"({"error":)" + deep + R"(,"error_description":"x"})");
  EXPECT_EQ(said.error, "");
  EXPECT_EQ(ReadServiceError(R"({"errors":{"errorMessage":)" + deep + "}}").description, "");

  // An answer's own depth, and more, is read; a container where text belongs says nothing.
  EXPECT_EQ(ReadCurrentCount(R"({"x":)" + nested(kMaxAnswerDepth - 1) + R"(,"count":3})", count),
            0);
  EXPECT_EQ(count, 3);
  EXPECT_EQ(ReadCurrentCount(R"({"x":)" + nested(kMaxAnswerDepth) + R"(,"count":3})", count), -1);
  EXPECT_EQ(ReadServiceError(R"({"error":{"a":[1]},"error_description":"d"})").description, "d");
}

}  // namespace
