#include "service/check_log.h"

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/settings_sandbox.h"
#include "support/temp_dir.h"

namespace {

using testing_support::ReadFile;
using testing_support::WriteFile;

// The check log beside the sandbox's setting.ini, and whatever stands in its place.
class CheckLog : public ::testing::Test {
 protected:
  void SetUp() override { LoadSettings(); }  // places setting.ini, and the log beside it
  std::string LogPath() const { return sandbox.dir().File("kobanu.log"); }
  std::string RotatedPath() const { return sandbox.dir().File("kobanu.log.1"); }
  testing_support::SettingsSandbox sandbox;
};

TEST_F(CheckLog, OneLinePerCheckWithTimeCheckOutcomeAndMaskedUrl) {
  {
    std::lock_guard lock(watchState.serviceMutex);
    watchState.service.accessKey = "pk_secret/+key";
  }
  WriteCheckLog(kCountCheck, "count 4",
                "https://h/p?applicationId=a&accessKey=pk_secret%2F%2Bkey&k=1");
  WriteCheckLog(kHitListCheck, "service error 401 x: key pk_secret/+key\r\nforged | line",
                "http://h/p?accessKey=other");
  const std::string log = ReadFile(LogPath());
  const size_t firstEnd = log.find('\n');
  ASSERT_NE(firstEnd, std::string::npos);
  const std::string first = log.substr(0, firstEnd);
  const std::string second = log.substr(firstEnd + 1);
  EXPECT_EQ(
      first.size(),
      22 + std::string("count | count 4 | https://h/p?applicationId=a&accessKey=****&k=1").size());
  EXPECT_EQ(first.substr(4, 1) + first.substr(7, 1) + first.substr(13, 1), "--:");
  EXPECT_EQ(first.substr(19),
            " | count | count 4 | https://h/p?applicationId=a&accessKey=****&k=1");
  EXPECT_EQ(second.substr(19),
            " | hit list | service error 401 x: key ****  forged | line | "
            "http://h/p?accessKey=****\n");
  EXPECT_EQ(log.find("secret"), std::string::npos);
}

TEST_F(CheckLog, AtOneMebibyteTheLogBecomesKobanuLog1) {
  WriteFile(LogPath(), std::string(kCheckLogRotateBytes - 1, 'a'));
  WriteFile(RotatedPath(), "older\n");
  WriteCheckLog(kCountCheck, "count 1", "");
  EXPECT_EQ(ReadFile(RotatedPath()), "older\n");  // not yet full
  WriteCheckLog(kCountCheck, "count 2", "");
  EXPECT_EQ(ReadFile(RotatedPath()).size(), kCheckLogRotateBytes - 1 + 41);
  const std::string fresh = ReadFile(LogPath());
  EXPECT_EQ(fresh.substr(19), " | count | count 2 | \n");
}

TEST_F(CheckLog, WhatCannotBeWrittenIsSkippedSilently) {
  // A folder in its place.
  ASSERT_EQ(mkdir(LogPath().c_str(), 0700), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  ASSERT_EQ(rmdir(LogPath().c_str()), 0);

  // A pipe nobody reads: no wait.
  ASSERT_EQ(mkfifo(LogPath().c_str(), 0600), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  ASSERT_EQ(unlink(LogPath().c_str()), 0);

  // A link to another file, which stays as it was.
  const std::string other = sandbox.dir().File("other");
  WriteFile(other, "mine\n");
  ASSERT_EQ(symlink(other.c_str(), LogPath().c_str()), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  EXPECT_EQ(ReadFile(other), "mine\n");
  ASSERT_EQ(unlink(LogPath().c_str()), 0);

  // A log the user made read-only.
  WriteFile(LogPath(), "kept\n");
  ASSERT_EQ(chmod(LogPath().c_str(), 0444), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  EXPECT_EQ(ReadFile(LogPath()), "kept\n");
  ASSERT_EQ(unlink(LogPath().c_str()), 0);

  // A full log whose older half the user made read-only: neither is replaced or grown.
  const std::string full(kCheckLogRotateBytes, 'a');
  WriteFile(LogPath(), full);
  WriteFile(RotatedPath(), "kept\n");
  ASSERT_EQ(chmod(RotatedPath().c_str(), 0444), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  EXPECT_EQ(ReadFile(RotatedPath()), "kept\n");
  EXPECT_EQ(ReadFile(LogPath()).size(), full.size() + 41);
}

TEST_F(CheckLog, AMissingFolderLosesTheLine) {
  testing_support::SettingsSandbox elsewhere;
  LoadSettings();
  const std::string folder = elsewhere.dir().path();
  ASSERT_EQ(rmdir(folder.c_str()), 0);
  WriteCheckLog(kCountCheck, "count 1", "");
  ASSERT_EQ(mkdir(folder.c_str(), 0700), 0);  // for the sandbox's own clean-up
}

}  // namespace
