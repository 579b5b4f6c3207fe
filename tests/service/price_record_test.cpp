#include "service/price_record.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace service {

namespace {

const PriceRecord kRow{.time = "2026-12-08 10:00",
                       .keyword = "腕時計",
                       .count = 6,
                       .price = 9800,
                       .name = "ソラノ 腕時計",
                       .address = "https://item.rakuten.co.jp/timezone/10000005/",
                       .outcome = "count 6"};

PriceRecord With(void (*change)(PriceRecord&)) {
  PriceRecord row = kRow;
  change(row);
  return row;
}

// What a row becomes in the file (RFC 4180 quoting, one line, no formulas), and that the reader
// gives back what was meant, so that the file can be written again unchanged.
TEST(PriceRow, QuotesWhatNeedsItKeepsOneLineAndDisarmsFormulas) {
  struct Case {
    PriceRecord row;
    std::string line;
    PriceRecord read;  // what the line reads back as
  };
  const PriceRecord failed = With([](PriceRecord& r) {
    r.count.reset();
    r.price.reset();
    r.name.clear();
    r.address.clear();
    r.outcome = "network error: Could not resolve host";
  });
  const std::vector<Case> cases = {
      {kRow,
       "2026-12-08 10:00,腕時計,6,9800,ソラノ 腕時計,https://item.rakuten.co.jp/timezone/10000005/,"
       "count 6\r\n",
       kRow},
      {failed, "2026-12-08 10:00,腕時計,,,,,network error: Could not resolve host\r\n", failed},
      {With([](PriceRecord& r) { r.name = "時計, \"限定\" モデル"; }),
       "2026-12-08 10:00,腕時計,6,9800,\"時計, \"\"限定\"\" モデル\",https://item.rakuten.co.jp/"
       "timezone/10000005/,count 6\r\n",
       With([](PriceRecord& r) { r.name = "時計, \"限定\" モデル"; })},
      // A name from the network with line breaks and controls stays on its line.
      {With([](PriceRecord& r) { r.name = "a\r\nb\tc\x1B[31md\u2028e\xFF"; }),
       "2026-12-08 10:00,腕時計,6,9800,a\\x0d\\x0ab\tc\\x1b[31md\\u2028e\\xff,"
       "https://item.rakuten.co.jp/timezone/10000005/,count 6\r\n",
       With([](PriceRecord& r) { r.name = "a\\x0d\\x0ab\tc\\x1b[31md\\u2028e\\xff"; })},
      // Spreadsheets would run these: an apostrophe makes them text, and comes off again.
      {With([](PriceRecord& r) {
         r.name = "=HYPERLINK(\"http://x\")";
         r.keyword = "-5";
         r.address = "'@x";
       }),
       "2026-12-08 10:00,'-5,6,9800,\"'=HYPERLINK(\"\"http://x\"\")\",''@x,count 6\r\n",
       With([](PriceRecord& r) {
         r.name = "=HYPERLINK(\"http://x\")";
         r.keyword = "-5";
         r.address = "'@x";
       })},
      // A name longer than a field holds is cut between characters.
      {With([](PriceRecord& r) { r.name = std::string(1023, 'x') + "あ"; }),
       "2026-12-08 10:00,腕時計,6,9800," + std::string(1023, 'x') +
           ",https://item.rakuten.co.jp/timezone/10000005/,count 6\r\n",
       With([](PriceRecord& r) { r.name = std::string(1023, 'x'); })},
  };
  for (const Case& c : cases) {
    const std::string line = PriceRow(c.row);
    EXPECT_EQ(line, c.line);
    const std::vector<PriceRecord> read = ReadPriceRows(line, 10);
    ASSERT_EQ(read.size(), 1u) << line;
    EXPECT_EQ(read[0], c.read) << line;
    EXPECT_EQ(PriceRow(read[0]), line);
  }
}

// Whatever stands in the file, the reader takes the lines that are rows and passes over the rest.
TEST(ReadPriceRows, TakesRowsFromAnyFileAndPassesOverTheRest) {
  const std::string row = "2026-12-08 10:00,k,6,9800,n,https://a/,count 6";
  struct Case {
    const char* what;
    std::string text;
    std::vector<std::string> times;  // of the rows read
  };
  const std::vector<Case> cases = {
      {"byte order mark, header, CR LF",
       "\xEF\xBB\xBF" + std::string(kPriceHistoryHeader) + "\r\n" + row + "\r\n",
       {"2026-12-08 10:00"}},
      {"line feeds, a lone CR, no end", row + "\n" + row + "\r" + row, {"", "", ""}},
      {"half a row, then a whole one", "2026-12-08 09:00,k,6,98\n" + row + "\n", {""}},
      {"eight fields", row + ",extra\n", {}},
      {"a quoted line break", "2026-12-08 10:00,k,6,9800,\"a\r\nb\",u,o\n", {""}},
      {"no time", ",k,6,9800,n,u,o\n", {}},
      {"impossible times",
       "2026-02-29 10:00,k,,,,,o\n2026-12-08 24:00,k,,,,,o\n2026-13-01 10:00,k,,,,,o\n"
       "2026-12-08 10:60,k,,,,,o\n2026-12-08T10:00,k,,,,,o\n 2026-12-08 10:00,k,,,,,o\n",
       {}},
      {"a leap day", "2028-02-29 23:59,k,,,,,o\n", {"2028-02-29 23:59"}},
      {"numbers that are none",
       "2026-12-08 10:00,k,-1,9800,n,u,o\n2026-12-08 10:00,k,6,1e3,n,u,o\n"
       "2026-12-08 10:00,k,6,\"9,800\",n,u,o\n2026-12-08 10:00,k,6,1234567890123456,n,u,o\n"
       "2026-12-08 10:00,k,6, 98,n,u,o\n",
       {}},
      {"an unclosed quote takes the rest", "2026-12-08 10:00,k,6,9800,\"n\n" + row + "\n", {}},
      {"text after a closing quote", "2026-12-08 10:00,k,6,9800,\"n\"x,u,o\n", {""}},
      {"empty lines and nothing else", "\n\r\n\n,\n", {}},
  };
  for (const Case& c : cases) {
    const std::vector<PriceRecord> rows = ReadPriceRows(c.text, 100);
    ASSERT_EQ(rows.size(), c.times.size()) << c.what;
    for (size_t i = 0; i < rows.size(); ++i) {
      if (!c.times[i].empty()) {
        EXPECT_EQ(rows[i].time, c.times[i]) << c.what;
      }
    }
  }
  EXPECT_EQ(ReadPriceRows("2026-12-08 10:00,k,6,9800,\"n\"x,u,o\n", 1)[0].name, "nx");
  EXPECT_EQ(ReadPriceRows("2026-12-08 10:00,k,6,9800,\"a\r\nb\",u,o\n", 1)[0].name, "a\\x0d\\x0ab");
}

// A file made to hurt: tens of megabytes in one field, one line of a million fields, a million
// quotes, many short rows. Each is read in one pass (a reader that went back over a line would not
// end within the test's time), and keeps no more than its last rows and a field's worth of text.
TEST(ReadPriceRows, AHostileFileCostsOnePassAndBoundedMemory) {
  const std::string row = "2026-12-08 10:00,k,6,9800,n,u,o\n";
  struct Case {
    const char* what;
    std::string text;
    size_t rows;
  };
  const std::vector<Case> cases = {
      {"a long name", "2026-12-08 10:00,k,6,9800," + std::string(30 << 20, 'n') + ",u,o\n" + row,
       2},
      {"a million fields", std::string(1 << 20, ',') + "\n" + row, 1},
      {"a million quotes: one field of doubled ones", std::string(1 << 20, '"') + "\n" + row, 1},
      {"quotes doubled", "2026-12-08 10:00,k,6,9800,\"" + std::string(4 << 20, '"') + "\",u,o\n",
       1},
      {"two hundred thousand rows",
       [&] {
         std::string many;
         for (int i = 0; i < 200'000; ++i) many += row;
         return many;
       }(),
       500},
  };
  for (const Case& c : cases) {
    const std::vector<PriceRecord> rows = ReadPriceRows(c.text, 500);
    EXPECT_EQ(rows.size(), c.rows) << c.what;
    for (const PriceRecord& read : rows) {
      EXPECT_LE(read.name.size(), kMaxPriceFieldBytes) << c.what;
      EXPECT_EQ(read.name.find('\n'), std::string::npos) << c.what;
    }
  }
}

TEST(PriceTimes, MinutesAndBackAgreeAcrossMonthsYearsAndLeapDays) {
  EXPECT_EQ(MinutesOf("1970-01-01 00:00"), 0);
  EXPECT_EQ(MinutesOf("1970-01-02 01:01"), 24 * 60 + 61);
  EXPECT_EQ(*MinutesOf("2027-01-01 00:00") - *MinutesOf("2026-12-31 23:59"), 1);
  EXPECT_EQ(*MinutesOf("2028-03-01 00:00") - *MinutesOf("2028-02-28 00:00"), 2 * 24 * 60);
  EXPECT_EQ(*MinutesOf("2100-03-01 00:00") - *MinutesOf("2100-02-28 00:00"), 24 * 60);
  for (int64_t minutes = *MinutesOf("2023-12-25 07:30"); minutes < *MinutesOf("2029-01-10 00:00");
       minutes += 997) {
    EXPECT_EQ(MinutesOf(TimeOfMinutes(minutes)), minutes) << TimeOfMinutes(minutes);
  }
}

}  // namespace

}  // namespace service
