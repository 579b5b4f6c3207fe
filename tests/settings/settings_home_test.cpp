#include "settings/settings_home.h"

#include <sys/stat.h>

#include <cstdlib>
#include <filesystem>

#include <gtest/gtest.h>

#include "platform/runtime/module_path.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/child_process.h"
#include "support/settings_sandbox.h"

// Where setting.ini goes when the executable's folder is closed to its user. Each case runs in
// a child as an unprivileged user, so that permissions apply even when the tests run as root.
namespace {

using testing_support::ReadFile;
using testing_support::TempDir;
using testing_support::WriteFile;

WatchSettings& settings = watchState.settings;

class SettingsHome : public ::testing::Test {
 protected:
  SettingsHome() {
    chmod(root.path().c_str(), 0755);
    std::filesystem::create_directory(app);
    std::filesystem::create_directory(config);
    chmod(config.c_str(), 0777);
  }
  ~SettingsHome() override { chmod(app.c_str(), 0755); }  // so that it can be removed

  // Runs body in the unprivileged child, with the executable in app, the user's configuration
  // folder in config and the settings path decided there.
  int RunAsUser(const std::function<int()>& body, const char* configHome = nullptr) {
    return testing_support::RunInChild(
        [&] {
          platform::SetExecutablePathForTesting(app + "/kobanu");
          setenv("XDG_CONFIG_HOME", configHome != nullptr ? configHome : config.c_str(), 1);
          setenv("HOME", home.c_str(), 1);
          settings::DecideSettingsPath();
          return body();
        },
        true);
  }

  testing_support::SettingsSandbox sandbox;  // the shared settings at rest, before and after
  TempDir root;
  const std::string app = root.File("app");
  const std::string config = root.File("config");
  const std::string home = root.File("home");
  const std::string userFile = config + "/kobanu/setting.ini";
};

// The Debian package's program in /usr/lib/kobanu, run as root, who could write there: its
// settings and log go to root's own folder, not into the system's, which purge would leave.
TEST_F(SettingsHome, AProgramInstalledUnderUsrKeepsItsSettingsInTheUsersFolderEvenAsRoot) {
  const int result = testing_support::RunInChild(
      [&] {
        platform::SetExecutablePathForTesting("/usr/lib/kobanu");  // /usr/lib/ is writable to root
        setenv("XDG_CONFIG_HOME", config.c_str(), 1);
        settings::DecideSettingsPath();
        return settings::SettingsPath() == userFile ? 0 : 1;
      },
      false);
  EXPECT_EQ(result, 0);
}

TEST_F(SettingsHome, AReadOnlyInstallFolderSendsTheSettingsToTheUsersFolderCreatedAtFirstSave) {
  chmod(app.c_str(), 0555);
  const int result = RunAsUser([&] {
    if (settings::SettingsPath() != userFile) return 1;
    LoadSettings();
    if (std::filesystem::exists(config + "/kobanu")) return 2;  // loading creates nothing
    settings.scanKeyword = "kept";
    SaveSettings();
    settings.scanKeyword = "";
    LoadSettings();
    return std::string(settings.scanKeyword) == "kept" ? 0 : 3;
  });
  EXPECT_EQ(result, 0);
  EXPECT_NE(ReadFile(userFile).find("SCAN_KEYWORD=kept\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(app + "/setting.ini"));
}

TEST_F(SettingsHome, AWritableFolderKeepsThePortableFileBesideTheExecutable) {
  chmod(app.c_str(), 0777);
  const int result = RunAsUser([&] {
    settings.scanKeyword = "portable";
    SaveSettings();
    return settings::SettingsPath() == app + "/setting.ini" ? 0 : 1;
  });
  EXPECT_EQ(result, 0);
  EXPECT_NE(ReadFile(app + "/setting.ini").find("SCAN_KEYWORD=portable\r\n"), std::string::npos);
  EXPECT_FALSE(std::filesystem::exists(config + "/kobanu"));
}

TEST_F(SettingsHome, AReadOnlyFileBesideTheExecutableIsReadAndNeitherOverwrittenNorMoved) {
  const std::string file = app + "/setting.ini";
  WriteFile(file, "[PARAM]\r\nSCAN_KEYWORD=mine\r\n");
  chmod(file.c_str(), 0444);
  chmod(app.c_str(), 0555);
  const int result = RunAsUser([&] {
    if (settings::SettingsPath() != file) return 1;
    LoadSettings();
    if (std::string(settings.scanKeyword) != "mine") return 2;
    settings.scanKeyword = "other";
    SaveSettings();
    return 0;
  });
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(file), "[PARAM]\r\nSCAN_KEYWORD=mine\r\n");
  EXPECT_FALSE(std::filesystem::exists(config + "/kobanu"));
}

TEST_F(SettingsHome, WithoutAnAbsoluteXdgConfigHomeTheUsersFolderIsUnderHome) {
  chmod(app.c_str(), 0555);
  std::filesystem::create_directory(home);
  chmod(home.c_str(), 0777);
  for (const char* configHome : {"", "relative/config"}) {
    const int result = RunAsUser(
        [&] {
          SaveSettings();
          return settings::SettingsPath() == home + "/.config/kobanu/setting.ini" ? 0 : 1;
        },
        configHome);
    EXPECT_EQ(result, 0) << configHome;
  }
  EXPECT_TRUE(std::filesystem::exists(home + "/.config/kobanu/setting.ini"));
}

TEST_F(SettingsHome, AUsersFolderThatCannotBeMadeLosesTheSaveQuietly) {
  chmod(app.c_str(), 0555);
  const std::string notAFolder = root.File("file");
  WriteFile(notAFolder, "x");
  const int result = RunAsUser(
      [&] {
        settings.scanFlag = 1;
        SaveSettings();
        LoadSettings();  // nothing to read: the defaults
        return settings.scanFlag == 0 ? 0 : 1;
      },
      notAFolder.c_str());
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(notAFolder), "x");
}

}  // namespace
