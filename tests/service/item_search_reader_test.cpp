#include <gtest/gtest.h>

#include <vector>

#include "service/described/clear_hit_table.h"
#include "service/described/item_search_reader.h"
#include "service/described/sales_status_reader.h"
#include "state/watch_state.h"
#include "support/hit_table_test.h"
#include "support/temp_dir.h"

namespace service {

namespace {

std::string Header(const std::string& status) {
  return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response>\n<header:Header>\n<Status>" +
         status + "</Status>\n<StatusMsg/>\n</header:Header>\n<Body>\n";
}

std::string Record(int i, const std::string& shopClose = "</shopName>") {
  const std::string n = std::to_string(i);
  return "<Item>\n<itemName>腕時計 " + n +
         "</itemName>\n<catchcopy>c</catchcopy>\n<itemCode>shop:" + n + "</itemCode>\n<itemPrice>" +
         std::to_string(1000 + i) + "</itemPrice>\n<itemUrl>http://x/" + n +
         "</itemUrl>\n<affiliateUrl>http://x/" + n +
         "?a=1&amp;b=2</affiliateUrl>\n<availability>1</availability>\n<pointRate>2</pointRate>\n"
         "<shopName>店" +
         n + shopClose + "\n<shopCode>s</shopCode>\n</Item>\n";
}

std::string Body(int count, int hits, int records, const std::string& status = "Success") {
  std::string body = Header(status) + "<count>" + std::to_string(count) + "</count>\n<hits>" +
                     std::to_string(hits) + "</hits>\n<Items>\n";
  for (int i = 0; i < records; ++i) body += Record(i);
  return body + "</Items>\n</Body>\n</Response>\n";
}

using HitListReading = testing_support::HitTableTest;

TEST(ParseHitCount, ReadsTheCountOfASuccess) {
  int count = 0;
  EXPECT_EQ(ParseHitCount(Body(12, 12, 12), count), 0);
  EXPECT_EQ(count, 12);
  EXPECT_EQ(ParseHitCount(Body(5000, 30, 0), count), 0);  // not capped
  EXPECT_EQ(count, 5000);
}

TEST(ParseHitCount, ReadsTheCountTextAsAtoiDoes) {
  int count = 0;
  EXPECT_EQ(ParseHitCount(Header("Success") + "<count>  42abc</count>", count), 0);
  EXPECT_EQ(count, 42);
  EXPECT_EQ(ParseHitCount(Header("Success") + "<count>none</count>", count), 0);
  EXPECT_EQ(count, 0);
}

TEST(ParseHitCount, TheBodyEndsAtItsFirstZeroByte) {
  using namespace std::literals;
  int count = 0;
  EXPECT_EQ(ParseHitCount(Header("Success") + "\0<count>3</count>"s, count), -1);
  EXPECT_EQ(ParseSalesStatus("\0<div class=\"iconArea clfx\">"sv), -1);
  EXPECT_EQ(ParseSalesStatus("<div class=\"iconArea clfx\">\0"sv), 1);
}

TEST(ParseHitCount, StatusDecidesFirst) {
  int count = 7;
  EXPECT_EQ(ParseHitCount(Body(0, 0, 0, "NotFound"), count), -2);
  EXPECT_EQ(count, -1);
  count = 7;
  EXPECT_EQ(ParseHitCount(Body(3, 3, 3, "ClientError"), count), -3);
  EXPECT_EQ(count, -1);
  EXPECT_EQ(ParseHitCount(Body(3, 3, 3, " Success"), count), -3);
  EXPECT_EQ(ParseHitCount(Body(3, 3, 3, "success"), count), -3);
  count = 7;
  EXPECT_EQ(ParseHitCount("<count>3</count>", count), -1);  // no "/Status" at all
  EXPECT_EQ(count, -1);
  EXPECT_EQ(ParseHitCount(Header("Success") + "<count>3", count), -1);  // no "/count>"
  EXPECT_EQ(count, -1);
  EXPECT_EQ(ParseHitCount("", count), -1);
}

TEST(ParseHitCount, OddMarkerOrdersDoNotReadOutOfBounds) {
  int count = 0;
  // "/Status" before "<Status>": the status text is cut from clamped bounds and is no word.
  EXPECT_EQ(ParseHitCount("/Status <Status>Success</Status><count>1</count>", count), -3);
  EXPECT_EQ(ParseHitCount("<Status>Success/Status", count), -3);
  // No "<Status>" at all: the status text starts at offset 7.
  EXPECT_EQ(ParseHitCount("xxxxxxxSuccess</Status><count>4</count>", count), 0);
  EXPECT_EQ(count, 4);
  // "/count>" before "<count>": an empty count text reads 0.
  EXPECT_EQ(ParseHitCount(Header("Success") + "/count> <count>9", count), 0);
  EXPECT_EQ(count, 0);
}

TEST_F(HitListReading, FillsEveryAnnouncedRecord) {
  EXPECT_EQ(ParseHitList(Body(3, 3, 3)), 0);
  EXPECT_EQ(watchState.hitCount, 3);
  EXPECT_EQ(table.itemName[0], "\x98\x72\x8E\x9E\x8C\x76 0");  // 腕時計 0 in code page 932
  EXPECT_EQ(table.itemCode[2], "shop:2");
  EXPECT_EQ(table.itemPrice[1], "1001");
  EXPECT_EQ(table.affiliateUrl[2], "http://x/2?a=1&amp;b=2");  // entities stay as written
  EXPECT_EQ(table.pointRate[0], "2");
  EXPECT_EQ(table.shopName[1],
            "\x93\x58"
            "1");
  EXPECT_EQ(table.rowIndex[2], "2");
  EXPECT_EQ(table.itemName[3], "");
}

TEST_F(HitListReading, CapsAtThirtyRowsAndReadsNoFurther) {
  EXPECT_EQ(ParseHitList(Body(45, 45, 45)), 0);
  EXPECT_EQ(watchState.hitCount, 30);
  EXPECT_EQ(table.rowIndex[29], "29");
  EXPECT_EQ(table.itemCode[29], "shop:29");
}

std::vector<const HitTable::Column*> Columns(const HitTable& table) {
  return {&table.itemName,  &table.itemCode, &table.itemPrice, &table.affiliateUrl,
          &table.pointRate, &table.shopName, &table.rowIndex};
}

// Cells of rows [from, to) that are not empty, over all seven columns.
int FilledCells(const HitTable& table, size_t from, size_t to) {
  int filled = 0;
  for (const HitTable::Column* column : Columns(table)) {
    for (size_t row = from; row < to; ++row) filled += (*column)[row].empty() ? 0 : 1;
  }
  return filled;
}

TEST_F(HitListReading, ClearHitTableEmptiesAllSevenColumnsOfAllRowsAndKeepsHitCount) {
  ASSERT_EQ(ParseHitList(Body(45, 45, 45)), 0);
  ASSERT_EQ(FilledCells(table, 0, MaxHits), 7 * MaxHits);
  ClearHitTable();
  EXPECT_EQ(FilledCells(table, 0, MaxHits), 0);
  EXPECT_EQ(watchState.hitCount, 30);
}

// The hit list clears before it reads, so nothing of a longer earlier list is left.
TEST_F(HitListReading, ThreeHitsAfterTenLeaveRowsThreeToNineEmpty) {
  ASSERT_EQ(ParseHitList(Body(10, 10, 10)), 0);
  ClearHitTable();
  EXPECT_EQ(ParseHitList(Body(3, 3, 3)), 0);
  EXPECT_EQ(watchState.hitCount, 3);
  EXPECT_EQ(FilledCells(table, 0, 3), 7 * 3);
  EXPECT_EQ(FilledCells(table, 3, 10), 0);
}

TEST_F(HitListReading, FewerRecordsThanAnnouncedFailsWithTheRowsRead) {
  EXPECT_EQ(ParseHitList(Body(3, 3, 2)), -1);
  EXPECT_EQ(watchState.hitCount, 3);
  EXPECT_EQ(table.rowIndex[1], "1");
  EXPECT_EQ(table.itemName[2], "");
  EXPECT_EQ(table.rowIndex[2], "");
}

TEST_F(HitListReading, NoHitsFillsNothing) {
  EXPECT_EQ(ParseHitList(Body(0, 0, 0)), 0);
  EXPECT_EQ(watchState.hitCount, 0);
  EXPECT_EQ(ParseHitList(Header("Success") + "<count>1</count><hits>none</hits>" + Record(0)), 0);
  EXPECT_EQ(watchState.hitCount, 0);
  EXPECT_EQ(table.itemName[0], "");
}

TEST_F(HitListReading, AStatusOtherThanSuccessLeavesNoRows) {
  watchState.hitCount = 7;
  EXPECT_EQ(ParseHitList(Body(0, 0, 0, "NotFound")), -2);
  EXPECT_EQ(watchState.hitCount, 0);
  watchState.hitCount = 7;
  EXPECT_EQ(ParseHitList(Body(3, 3, 3, "Error")), -3);
  EXPECT_EQ(watchState.hitCount, 0);
  watchState.hitCount = 7;
  EXPECT_EQ(ParseHitList("no status here"), -1);  // before the count: hitCount untouched
  EXPECT_EQ(watchState.hitCount, 7);
  EXPECT_EQ(table.itemName[0], "");
}

TEST_F(HitListReading, RequiresCountAndHitsElements) {
  EXPECT_EQ(ParseHitList(Header("Success") + "<hits>3</hits>" + Record(0)), -1);
  EXPECT_EQ(ParseHitList(Header("Success") + "<count>3</count><hits>3" + Record(0)), -1);
}

TEST_F(HitListReading, AMissingClosingTagRunsToTheNextOneOrLeavesTheCellEmpty) {
  std::string body = Header("Success") + "<count>2</count><hits>2</hits>";
  body += Record(0);
  body.replace(body.find("</pointRate>"), 12, "");
  body += Record(1, "");  // the last shopName is never closed
  EXPECT_EQ(ParseHitList(body), 0);
  EXPECT_EQ(table.pointRate[0].substr(0, 1), "2");
  EXPECT_NE(table.pointRate[0].find("<shopName>"), std::string::npos);  // up to the next record's
  EXPECT_EQ(table.shopName[1], "");
  EXPECT_EQ(table.rowIndex[1], "1");
}

TEST_F(HitListReading, FieldsOutOfOrderAreTakenFromLaterRecords) {
  const std::string body = Header("Success") +
                           "<count>1</count><hits>1</hits><itemCode>early</itemCode>"
                           "<itemName>n</itemName><itemCode>late</itemCode><itemPrice>1</itemPrice>"
                           "<affiliateUrl>u</affiliateUrl><pointRate>1</pointRate>"
                           "<shopName>s</shopName>";
  EXPECT_EQ(ParseHitList(body), 0);
  EXPECT_EQ(table.itemCode[0], "late");
}

}  // namespace

namespace {

std::string Sample(const std::string& name) {
  return testing_support::ReadFile(std::string(KOBANU_TEST_DATA_DIR) + "/" + name);
}

// The sample answers that also seed the fuzzers read as the service's real ones would.
TEST_F(HitListReading, SampleAnswersReadAsExpected) {
  int count = 0;
  EXPECT_EQ(ParseHitCount(Sample("item_search_success.xml"), count), 0);
  EXPECT_EQ(count, 2);
  EXPECT_EQ(ParseHitList(Sample("item_search_success.xml")), 0);
  EXPECT_EQ(table.itemCode[1], "tokei:777");
  EXPECT_EQ(table.affiliateUrl[0],
            "http://item.example.test/watchshop/10000123/?scid=af_1&amp;sc2id=1");
  EXPECT_EQ(ParseHitCount(Sample("item_search_notfound.xml"), count), -2);
  EXPECT_EQ(ParseSalesStatus(Sample("mall_search_sale_ended.html")), -2);
  EXPECT_EQ(ParseSalesStatus(Sample("mall_search_sale_running.html")), 1);
}

}  // namespace

}  // namespace service
