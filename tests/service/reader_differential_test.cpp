#include <random>

#include <gtest/gtest.h>

#include "service/described/clear_hit_table.h"
#include "service/described/item_search_reader.h"
#include "service/described/sales_status_reader.h"
#include "state/watch_state.h"
#include "support/reader_transcription.h"

namespace service {

namespace {

// Pieces that bodies are made of: every marker the readers know, their near misses, text in
// several scripts, and bytes that are not UTF-8.
const std::vector<std::string> kPieces = {"<Status>",
                                          "</Status>",
                                          "/Status",
                                          "Success",
                                          "NotFound",
                                          "Error",
                                          "<count>",
                                          "</count>",
                                          "/count>",
                                          "<hits>",
                                          "</hits>",
                                          "/hits>",
                                          "3",
                                          "30",
                                          "45",
                                          "-2",
                                          " 7x",
                                          "<itemName>",
                                          "</itemName>",
                                          "<itemCode>",
                                          "</itemCode>",
                                          "<itemPrice>",
                                          "</itemPrice>",
                                          "<affiliateUrl>",
                                          "</affiliateUrl>",
                                          "<pointRate>",
                                          "</pointRate>",
                                          "<shopName>",
                                          "</shopName>",
                                          "<Item>",
                                          "</Item>",
                                          "腕時計",
                                          "販売終了",
                                          "&amp;",
                                          " ",
                                          "\n",
                                          "<",
                                          "/",
                                          ">",
                                          "a",
                                          "\xFF",
                                          "\xE7\xA6",
                                          "😀",
                                          "<span class=\"salesStatus\">",
                                          "</span>",
                                          "<div class=\"iconArea clfx\">"};

std::string RandomPieces(std::mt19937& random, size_t most) {
  std::string text;
  for (size_t i = random() % (most + 1); i > 0; --i) text += kPieces[random() % kPieces.size()];
  return text;
}

// Item records in the readers' field order, each tag sometimes missing, with stray pieces.
std::string RandomRecords(std::mt19937& random) {
  static const char* const kFields[] = {"itemName",     "itemCode",  "itemPrice",
                                        "affiliateUrl", "pointRate", "shopName"};
  std::string records;
  for (int record = random() % 36; record > 0; --record) {
    for (const char* field : kFields) {
      if (random() % 50 != 0) records += std::string("<") + field + ">";
      records += RandomPieces(random, 2);
      if (random() % 10 != 0) records += std::string("</") + field + ">";
    }
  }
  return records;
}

std::string RandomBody(std::mt19937& random) {
  const std::string header = "<Status>Success</Status><count>" + std::to_string(random() % 50) +
                             "</count><hits>" + std::to_string(random() % 40) + "</hits>";
  switch (random() % 3) {
    case 0:
      return RandomPieces(random, 200);
    case 1:
      return header + RandomPieces(random, 200);
    default:
      return header + RandomRecords(random);
  }
}

TEST(ReaderDifferential, LinearReadersMatchTheCutAndSearchSteps) {
  std::mt19937 random(20261207);
  HitTable expectedTable;
  for (int round = 0; round < 5000; ++round) {
    const std::string body = RandomBody(random);
    SCOPED_TRACE(body);

    int count = 0, expectedCount = 0;
    ASSERT_EQ(ParseHitCount(body, count), transcription::ParseHitCount(body, expectedCount));
    ASSERT_EQ(count, expectedCount);

    ClearHitTable();
    expectedTable = HitTable();
    watchState.hitCount = 5;
    int expectedHitCount = 5;
    ASSERT_EQ(ParseHitList(body),
              transcription::ParseHitList(body, expectedTable, expectedHitCount));
    ASSERT_EQ(watchState.hitCount, expectedHitCount);
    const HitTable& table = watchState.hitTable;
    ASSERT_EQ(table.itemName, expectedTable.itemName);
    ASSERT_EQ(table.itemCode, expectedTable.itemCode);
    ASSERT_EQ(table.itemPrice, expectedTable.itemPrice);
    ASSERT_EQ(table.affiliateUrl, expectedTable.affiliateUrl);
    ASSERT_EQ(table.pointRate, expectedTable.pointRate);
    ASSERT_EQ(table.shopName, expectedTable.shopName);
    ASSERT_EQ(table.rowIndex, expectedTable.rowIndex);

    ASSERT_EQ(ParseSalesStatus(body), transcription::ParseSalesStatus(body));
  }
}

}  // namespace

}  // namespace service
