#include "settings/settings_file.h"

#include <cstdlib>
#include <filesystem>
#include <thread>

#include <gtest/gtest.h>

#include "platform/runtime/module_path.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/settings_sandbox.h"
#include "support/wine.h"

namespace {

using testing_support::ReadFile;
using testing_support::RunningUnderWine;
using testing_support::SettingsSandbox;
using testing_support::WriteFile;

WatchSettings& settings = watchState.settings;

using testing_support::kWatch;

TEST(SettingsFile, FirstRunReadsDefaultsAndFirstSaveWritesSixLines) {
  SettingsSandbox sandbox;
  settings.scanFlag = 5;
  settings.scanKeyword = "left over";
  LoadSettings();
  EXPECT_EQ(settings.scanFlag, 0);
  EXPECT_EQ(std::string(settings.scanKeyword), "");
  EXPECT_EQ(std::string(settings.scanPrice), "");
  EXPECT_EQ(settings.scanZaiko, 0);
  EXPECT_EQ(settings.scanTimesale, 0);
  EXPECT_FALSE(std::filesystem::exists(sandbox.IniPath()));  // loading never creates the file

  SaveSettings();
  EXPECT_EQ(ReadFile(sandbox.IniPath()),
            "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=0\r\n"
            "SCAN_TIMESALE=0\r\n");
  EXPECT_EQ(watchState.iniPath, sandbox.IniPath());
}

TEST(SettingsFile, SavesTheExampleFileByteForByteAndReadsItBack) {
  SettingsSandbox sandbox;
  settings.scanFlag = 1;
  settings.scanKeyword = kWatch;
  settings.scanPrice = "5000";
  SaveSettings();
  EXPECT_EQ(ReadFile(sandbox.IniPath()),
            "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch +
                "\r\nSCAN_PRICE=5000\r\nSCAN_ZAIKO=0\r\nSCAN_TIMESALE=0\r\n");
  testing_support::ResetSettings();
  LoadSettings();
  EXPECT_EQ(settings.scanFlag, 1);
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_EQ(std::string(settings.scanPrice), "5000");
}

TEST(SettingsFile, FlagsReadThroughAtoiAndAreWrittenAsOneOrZero) {
  SettingsSandbox sandbox;
  WriteFile(sandbox.IniPath(),
            "[PARAM]\r\nSCAN_FLAG=2\r\nSCAN_ZAIKO=yes\r\nSCAN_TIMESALE= -7x\r\n");
  LoadSettings();
  EXPECT_EQ(settings.scanFlag, 2);
  EXPECT_EQ(settings.scanZaiko, 0);
  EXPECT_EQ(settings.scanTimesale, -7);
  SaveSettings();
  const std::string text = ReadFile(sandbox.IniPath());
  EXPECT_NE(text.find("SCAN_FLAG=1\r\n"), std::string::npos);
  EXPECT_NE(text.find("SCAN_ZAIKO=0\r\n"), std::string::npos);
  EXPECT_NE(text.find("SCAN_TIMESALE=1\r\n"), std::string::npos);
}

TEST(SettingsFile, TextsAreWrittenAsTheyAreAndReadBackByTheProfileRules) {
  SettingsSandbox sandbox;
  settings.scanKeyword = "  " + kWatch + " ";
  settings.scanPrice = "\"abc\"";
  SaveSettings();
  const std::string text = ReadFile(sandbox.IniPath());
  // Wine: its profile writer strips the blanks around a value.
  const std::string written = RunningUnderWine() ? kWatch : "  " + kWatch + " ";
  EXPECT_NE(text.find("SCAN_KEYWORD=" + written + "\r\n"), std::string::npos);
  EXPECT_NE(text.find("SCAN_PRICE=\"abc\"\r\n"), std::string::npos);
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_EQ(std::string(settings.scanPrice), "abc");

  settings.scanKeyword = std::string(600, 'k');
  SaveSettings();
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), std::string(511, 'k'));
}

TEST(SettingsFile, OnlyTheFirstLineOfATextIsWritten) {
  SettingsSandbox sandbox;
  settings.scanKeyword = "a\n[OTHER]\nSCAN_PRICE=oops";
  settings.scanPrice = "100\rSCAN_FLAG=1";
  SaveSettings();
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), "a");
  EXPECT_EQ(std::string(settings.scanPrice), "100");
  EXPECT_EQ(settings.scanFlag, 0);
}

// Without the executable's folder the settings live in the user's own folder, where load and save
// agree: never in the current folder or in the system's, which a bare name would reach.
TEST(SettingsFile, AnUnknownOrOverlongExecutablePathSendsTheSettingsToTheUsersFolder) {
  SettingsSandbox sandbox;
  const auto startFolder = std::filesystem::current_path();
  std::filesystem::current_path(sandbox.dir().path());
  WriteFile("setting.ini", "[PARAM]\r\nSCAN_FLAG=1\r\n");
  const std::string systemFolderFile =
      std::getenv("WINDIR") ? std::string(std::getenv("WINDIR")) + "\\setting.ini" : "";
  const std::string userFolder = sandbox.dir().File("user");
#ifdef _WIN32
  const char* const variable = "APPDATA";
  const std::string userFile = userFolder + "\\Kobanu\\setting.ini";
#else
  const char* const variable = "XDG_CONFIG_HOME";
  const std::string userFile = userFolder + "/kobanu/setting.ini";
#endif
  const char* const before = std::getenv(variable);
  const std::string saved = before != nullptr ? before : "";
  testing_support::SetEnvironment(variable, userFolder);
  for (const std::string& executable :
       {std::string("kobanu"), sandbox.dir().File(std::string(5000, 'd') + "/kobanu")}) {
    platform::SetExecutablePathForTesting(executable);
    settings::DecideSettingsPath();
    EXPECT_EQ(settings::SettingsPath(), userFile);
    LoadSettings();
    EXPECT_EQ(settings.scanFlag, 0);
    settings.scanKeyword = "new";
    SaveSettings();
    settings.scanKeyword = "";
    LoadSettings();
    EXPECT_EQ(std::string(settings.scanKeyword), "new");
    EXPECT_EQ(ReadFile("setting.ini"), "[PARAM]\r\nSCAN_FLAG=1\r\n");
    if (!systemFolderFile.empty()) {
      EXPECT_FALSE(std::filesystem::exists(systemFolderFile));
    }
    std::filesystem::remove(userFile);
  }
  testing_support::SetEnvironment(variable, saved);
  std::filesystem::current_path(startFolder);
}

TEST(SettingsFile, AFileMadeReadOnlyIsNeverWritten) {
  SettingsSandbox sandbox;
  WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=0\r\n");
  using std::filesystem::perms;
  std::filesystem::permissions(sandbox.IniPath(),
                               perms::owner_read | perms::group_read | perms::others_read);
  settings.scanFlag = 1;
  SaveSettings();
  std::filesystem::permissions(sandbox.IniPath(), perms::owner_write,
                               std::filesystem::perm_options::add);
  EXPECT_EQ(ReadFile(sandbox.IniPath()), "[PARAM]\r\nSCAN_FLAG=0\r\n");
  EXPECT_EQ(sandbox.FileCount(), 1);
}

TEST(SettingsFile, KeepsOtherSectionsKeysAndTheirOrder) {
  SettingsSandbox sandbox;
  WriteFile(sandbox.IniPath(),
            "[WINDOW]\nX=10\n[PARAM]\nSCAN_PRICE=100\nMINE=keep\nSCAN_FLAG=0\n\n[LAST]\nY=2\n");
  LoadSettings();
  settings.scanFlag = 1;
  SaveSettings();
  // Wine: its profile writer drops blank lines.
  const std::string blankLine = RunningUnderWine() ? "" : "\r\n";
  EXPECT_EQ(ReadFile(sandbox.IniPath()),
            "[WINDOW]\r\nX=10\r\n[PARAM]\r\nSCAN_PRICE=100\r\nMINE=keep\r\nSCAN_FLAG=1\r\n"
            "SCAN_KEYWORD=\r\nSCAN_ZAIKO=0\r\nSCAN_TIMESALE=0\r\n" +
                blankLine + "[LAST]\r\nY=2\r\n");
}

TEST(SettingsFile, LoadsAndSavesFromTwoThreadsDoNotInterfere) {
  SettingsSandbox sandbox;
  settings.scanKeyword = kWatch;
  settings.scanPrice = "100";
  SaveSettings();
  std::thread worker([] {
    for (int i = 0; i < 200; ++i) SaveSettings();
  });
  for (int i = 0; i < 200; ++i) {
    LoadSettings();
    ASSERT_EQ(std::string(settings.scanKeyword), kWatch);
    ASSERT_EQ(std::string(settings.scanPrice), "100");
  }
  worker.join();
}

}  // namespace
