#include "service/price_history.h"

#ifndef _WIN32
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "state/watch_state.h"
#ifndef _WIN32
#include "support/file_size_limit.h"
#endif
#include "support/settings_sandbox.h"
#include "support/temp_dir.h"

namespace service {

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

const std::string kStart = "\xEF\xBB\xBF" + std::string(kPriceHistoryHeader) + "\r\n";

PriceRecord Row(int64_t minutes, std::optional<int64_t> price = 9800) {
  return {.time = TimeOfMinutes(minutes),
          .keyword = "腕時計",
          .count = price ? std::optional<int64_t>(6) : std::nullopt,
          .price = price,
          .name = "ソラノ 腕時計",
          .address = "https://item.rakuten.co.jp/timezone/10000005/",
          .outcome = price ? "count 6" : "network error: timeout"};
}

const int64_t kNow = *MinutesOf("2026-12-08 10:00");
constexpr int64_t kHour = 60;
constexpr int64_t kDay = 24 * 60;

// The history beside the sandbox's setting.ini.
class PriceHistory : public ::testing::Test {
 protected:
  PriceHistory() {
    WriteFile(sandbox.IniPath(), "[PARAM]\r\n");
    LoadSettings();
  }
  std::string Path() const { return sandbox.dir().File("kobanu-history.csv"); }
  testing_support::SettingsSandbox sandbox;
};

#ifndef _WIN32
ino_t Inode(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

mode_t Mode(const std::string& path) {
  struct stat status {};
  return stat(path.c_str(), &status) == 0 ? status.st_mode & 0777 : 0;
}
#endif

TEST_F(PriceHistory, ANewFileIsTheOwnersAloneAndStartsWithTheMarkAndTheHeader) {
  EXPECT_EQ(PriceHistoryPath(), Path());
  EXPECT_FALSE(ReadPriceHistory());
  ASSERT_TRUE(AppendPriceRecord(Row(kNow - kHour)));
  ASSERT_TRUE(AppendPriceRecord(Row(kNow, std::nullopt)));  // a failed question is a row too
  EXPECT_EQ(ReadFile(Path()), kStart + PriceRow(Row(kNow - kHour)) + PriceRow(Row(kNow, {})));
#ifndef _WIN32
  EXPECT_EQ(Mode(Path()), 0600u);
#endif
  EXPECT_EQ(ReadPriceHistory(), (std::vector<PriceRecord>{Row(kNow - kHour), Row(kNow, {})}));
}

// A file edited by hand keeps what it holds; a row goes on a line of its own.
TEST_F(PriceHistory, ALastLineWithoutItsEndGetsOneFirst) {
  WriteFile(Path(), "my notes");
  ASSERT_TRUE(AppendPriceRecord(Row(kNow)));
  EXPECT_EQ(ReadFile(Path()), "my notes\r\n" + PriceRow(Row(kNow)));
}

#ifndef _WIN32
// What stands in the file's place is left alone (the log's own checks cover links and read-only
// files, on the same opening of the file), and nothing is ever written in the current folder.
TEST_F(PriceHistory, WithoutAPlaceOrAWritableFileNothingIsWritten) {
  ASSERT_EQ(mkfifo(Path().c_str(), 0600), 0);  // neither written nor read, and never waited on
  EXPECT_FALSE(AppendPriceRecord(Row(kNow)));
  EXPECT_FALSE(ReadPriceHistory());
  ASSERT_EQ(unlink(Path().c_str()), 0);

  PriceRecord timeless = Row(kNow);
  timeless.time = "yesterday";
  EXPECT_FALSE(AppendPriceRecord(timeless));
  EXPECT_FALSE(std::filesystem::exists(Path()));

  {
    std::lock_guard lock(watchState.iniMutex);
    watchState.iniPath.clear();  // no setting.ini placed: no folder, never the current one
  }
  EXPECT_EQ(PriceHistoryPath(), "");
  EXPECT_FALSE(AppendPriceRecord(Row(kNow)));
}

// A write cut short (a full disk; here a file-size limit) is taken back: a new file's header
// with its first row, a later row alone.
TEST_F(PriceHistory, ARowIsWrittenWholeOrNotAtAll) {
  using testing_support::WithFileSizeLimit;
  bool written = true;
  ASSERT_TRUE(WithFileSizeLimit(40, [&] { written = AppendPriceRecord(Row(kNow - kHour)); }));
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile(Path()), "");
  ASSERT_TRUE(AppendPriceRecord(Row(kNow - kHour)));
  const std::string before = ReadFile(Path());
  ASSERT_TRUE(
      WithFileSizeLimit(before.size() + 40, [&] { written = AppendPriceRecord(Row(kNow)); }));
  EXPECT_FALSE(written);
  EXPECT_EQ(ReadFile(Path()), before);
}

// kill -9 at any moment of a run of appends: the file holds whole rows only.
TEST_F(PriceHistory, AKillDuringAppendsLeavesWholeRowsOnly) {
  size_t rows = 0;
  for (int round = 0; round < 20; ++round) {
    const size_t before = ReadFile(Path()).size();
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      for (int64_t minutes = kNow;; minutes += kHour) AppendPriceRecord(Row(minutes));
    }
    // Once its first row is in, at some moment of its appends.
    while (ReadFile(Path()).size() <= std::max(before, kStart.size())) std::this_thread::yield();
    std::this_thread::sleep_for(std::chrono::milliseconds(1 + round % 7));
    kill(child, SIGKILL);
    waitpid(child, nullptr, 0);
    const std::string text = ReadFile(Path());
    ASSERT_TRUE(text.starts_with(kStart));
    const size_t lines = static_cast<size_t>(std::count(text.begin(), text.end(), '\n'));
    rows = ReadPriceRows(text, kMaxPriceRows).size();
    EXPECT_EQ(rows, lines - 1) << "round " << round;
    EXPECT_TRUE(text.ends_with("\r\n")) << "round " << round;
  }
  EXPECT_GE(rows, 20u);
}
#endif

// Rows older than two years go, in one replacement of the file, at most once a day.
TEST_F(PriceHistory, RowsOlderThanTwoYearsAreDroppedAtMostOnceADay) {
  // Two years and three days of rows, one a day; the file the user's to read and write.
  const int64_t first = kNow - kPriceHistoryMinutes - 3 * kDay;
  std::string text = kStart;
  for (int64_t at = first; at < kNow; at += kDay) text += PriceRow(Row(at));
  WriteFile(Path(), text);
#ifndef _WIN32
  ASSERT_EQ(chmod(Path().c_str(), 0640), 0);
  const ino_t before = Inode(Path());
#endif

  ASSERT_TRUE(AppendPriceRecord(Row(kNow)));
  const std::vector<PriceRecord> kept = *ReadPriceHistory();
  ASSERT_FALSE(kept.empty());
  EXPECT_EQ(kept.front().time, TimeOfMinutes(first + 4 * kDay));  // within two years less a day
  EXPECT_EQ(kept.back(), Row(kNow));
  EXPECT_TRUE(ReadFile(Path()).starts_with(kStart));
#ifndef _WIN32
  EXPECT_NE(Inode(Path()), before);  // replaced, not rewritten in place
  EXPECT_EQ(Mode(Path()), 0640u);
  const ino_t replaced = Inode(Path());
#endif

  // Hourly for a day: appended only, though a row turns two years old each hour.
  for (int64_t at = kNow + kHour; at < kNow + kDay; at += kHour) {
    ASSERT_TRUE(AppendPriceRecord(Row(at)));
  }
  EXPECT_EQ(ReadPriceHistory()->front().time, TimeOfMinutes(first + 4 * kDay));
#ifndef _WIN32
  EXPECT_EQ(Inode(Path()), replaced);
#endif
  ASSERT_TRUE(AppendPriceRecord(Row(kNow + kDay + kHour)));
  EXPECT_EQ(ReadPriceHistory()->front().time, TimeOfMinutes(first + 6 * kDay));
}

// A history far larger than any two years could make, 100 MB of junk lines, is read from its end.
TEST_F(PriceHistory, AHugeFileIsReadFromItsEnd) {
  std::string junk(100'000, '\xFF');
  junk.back() = '\n';
  std::string text = kStart;
  while (text.size() < (100u << 20)) text += junk;
  for (const int64_t at : {kNow - 2 * kHour, kNow - kHour, kNow}) text += PriceRow(Row(at));
  WriteFile(Path(), text);
  EXPECT_EQ(ReadPriceHistory(),
            (std::vector<PriceRecord>{Row(kNow - 2 * kHour), Row(kNow - kHour), Row(kNow)}));
}

}  // namespace

}  // namespace service
