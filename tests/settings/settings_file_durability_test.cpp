#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#include <random>

#include <gtest/gtest.h>

#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/child_process.h"
#include "support/mall_keywords.h"
#include "support/settings_sandbox.h"

// What the settings file keeps through crashes and refusals of the file system.
namespace {

using testing_support::ReadFile;
using testing_support::SettingsSandbox;
using testing_support::WriteFile;

WatchSettings& settings = watchState.settings;

using testing_support::kWatch;

TEST(SettingsFileDurability, AnUnwritableFileLosesTheSaveSilently) {
  SettingsSandbox sandbox;
  WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=0\r\n");
  chmod(sandbox.IniPath().c_str(), 0444);
  chmod(sandbox.dir().path().c_str(), 0555);
  const int result = testing_support::RunInChild(
      [] {
        watchState.settings.scanFlag = 1;
        SaveSettings();
        return watchState.settings.scanFlag == 1 ? 0 : 1;  // memory keeps the value
      },
      true);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(sandbox.IniPath()), "[PARAM]\r\nSCAN_FLAG=0\r\n");
}

// A save killed at any moment leaves the old file or the new one, complete.
TEST(SettingsFileDurability, SurvivesBeingKilledInTheMiddleOfSaves) {
  SettingsSandbox sandbox;
  const std::string a =
      "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=aaaa\r\nSCAN_PRICE=1000\r\nSCAN_ZAIKO=1\r\n"
      "SCAN_TIMESALE=1\r\n";
  const std::string b = "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=" + kWatch +
                        "\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=0\r\nSCAN_TIMESALE=0\r\n";
  WriteFile(sandbox.IniPath(), a);
  std::mt19937 random(7);
  int roundsEndingNew = 0;
  for (int round = 0; round < 1000; ++round) {
    const pid_t pid = fork();
    if (pid == 0) {
      for (int i = 0;; ++i) {
        const bool even = i % 2 == 0;
        settings.scanFlag = even ? 0 : 1;
        settings.scanKeyword = even ? kWatch : "aaaa";
        settings.scanPrice = even ? "" : "1000";
        settings.scanZaiko = even ? 0 : 1;
        settings.scanTimesale = even ? 0 : 1;
        SaveSettings();
      }
    }
    usleep(std::uniform_int_distribution<useconds_t>(0, 5000)(random));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string text = ReadFile(sandbox.IniPath());
    ASSERT_TRUE(text == a || text == b) << "round " << round << ":\n" << text;
    roundsEndingNew += text == b;
  }
  EXPECT_GT(roundsEndingNew, 100);  // the saves really ran before the kills
}

}  // namespace
