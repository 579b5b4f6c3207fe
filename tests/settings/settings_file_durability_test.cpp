#include <fcntl.h>
#include <poll.h>
#include <sys/inotify.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <csignal>
#include <filesystem>
#include <random>
#include <string_view>
#include <thread>

#include <gtest/gtest.h>

#include "platform/profile/profile_file.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "support/child_process.h"
#include "support/mall_keywords.h"
#include "support/settings_sandbox.h"

// What the settings file keeps through crashes and refusals of the file system.
namespace {

using testing_support::kNobody;
using testing_support::ReadFile;
using testing_support::SettingsSandbox;
using testing_support::WriteFile;

WatchSettings& settings = watchState.settings;

using testing_support::kWatch;

const std::string kFullSettings = "[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=" + kWatch +
                                  "\r\nSCAN_PRICE=5000\r\nSCAN_ZAIKO=1\r\nSCAN_TIMESALE=1\r\n";

// What is at setting.ini reads as no file at all, at once, and no save writes there. Runs as an
// ordinary user, for whom the folder is writable, unless asUnprivileged is false.
void ExpectReadAsEmptyAndKept(const SettingsSandbox& sandbox, const std::string& what,
                              bool asUnprivileged = true) {
  const int result = testing_support::RunInChild(
      [] {
        alarm(10);  // a load that blocks fails the test instead of hanging it
        watchState.settings.scanFlag = 7;
        LoadSettings();
        const WatchSettings& s = watchState.settings;
        if (s.scanFlag != 0 || !s.scanKeyword.empty() || !s.scanPrice.empty() || s.scanZaiko != 0 ||
            s.scanTimesale != 0) {
          return 1;
        }
        watchState.settings.scanKeyword = "new";
        SaveSettings();
        return 0;
      },
      asUnprivileged);
  EXPECT_EQ(result, 0) << what;
  EXPECT_EQ(sandbox.FileCount(), 1) << what;  // no temporary file either
}

class OddSettingsFile : public ::testing::Test {
 protected:
  void SetUp() override {
    if (geteuid() == 0) {
      ASSERT_EQ(chown(sandbox.dir().path().c_str(), kNobody, kNobody), 0);
    }
  }
  void Own(const std::string& path) {
    if (geteuid() == 0) {
      ASSERT_EQ(lchown(path.c_str(), kNobody, kNobody), 0);
    }
  }
  SettingsSandbox sandbox;
};

TEST_F(OddSettingsFile, ADirectoryFifoOrDeviceReadsAsEmptyAndStays) {
  std::filesystem::create_directory(sandbox.IniPath());
  Own(sandbox.IniPath());
  ExpectReadAsEmptyAndKept(sandbox, "directory");
  EXPECT_TRUE(std::filesystem::is_directory(sandbox.IniPath()));
  std::filesystem::remove(sandbox.IniPath());

  ASSERT_EQ(mkfifo(sandbox.IniPath().c_str(), 0666), 0);
  Own(sandbox.IniPath());
  ExpectReadAsEmptyAndKept(sandbox, "FIFO");
  EXPECT_TRUE(std::filesystem::is_fifo(sandbox.IniPath()));
  std::filesystem::remove(sandbox.IniPath());

  std::filesystem::create_symlink("/dev/zero", sandbox.IniPath());
  Own(sandbox.IniPath());
  ExpectReadAsEmptyAndKept(sandbox, "link to /dev/zero");
  EXPECT_EQ(std::filesystem::read_symlink(sandbox.IniPath()), "/dev/zero");
}

// Reading a process's own memory at offset 0 fails with an I/O error.
TEST(SettingsFileDurability, AReadErrorReadsAsEmptyAndIsNeverWritten) {
  SettingsSandbox sandbox;
  std::filesystem::create_symlink("/proc/self/mem", sandbox.IniPath());
  ExpectReadAsEmptyAndKept(sandbox, "read error", false);
  EXPECT_EQ(std::filesystem::read_symlink(sandbox.IniPath()), "/proc/self/mem");
}

TEST_F(OddSettingsFile, AFileTooLargeOrUnreadableReadsAsEmptyAndIsNeverSavedOver) {
  const std::string large =
      kFullSettings + std::string(platform::ProfileFile::kMaxFileSize, '\n') + "X=1\r\n";
  WriteFile(sandbox.IniPath(), large);
  Own(sandbox.IniPath());
  ExpectReadAsEmptyAndKept(sandbox, "larger than the limit");
  EXPECT_EQ(ReadFile(sandbox.IniPath()), large);

  WriteFile(sandbox.IniPath(), kFullSettings);
  chmod(sandbox.IniPath().c_str(), 0200);
  ExpectReadAsEmptyAndKept(sandbox, "write-only");
  chmod(sandbox.IniPath().c_str(), 0600);
  EXPECT_EQ(ReadFile(sandbox.IniPath()), kFullSettings);
}

// The file may hold an access key: one that Kobanu creates is readable by its user alone,
// whatever the umask lets others read; one that exists keeps the mode its owner gave it.
TEST(SettingsFileDurability, ANewFileIsTheUsersAloneAndAnExistingOneKeepsItsMode) {
  SettingsSandbox sandbox;
  const mode_t umaskBefore = umask(022);
  SaveSettings();
  struct stat status {};
  ASSERT_EQ(stat(sandbox.IniPath().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0600u);
  chmod(sandbox.IniPath().c_str(), 0644);
  SaveSettings();
  ASSERT_EQ(stat(sandbox.IniPath().c_str(), &status), 0);
  EXPECT_EQ(status.st_mode & 07777, 0644u);
  umask(umaskBefore);
}

// The service window writes the key into an older file that others may read (0644), plain or
// with a second name (then rewritten in place). A watcher reads every file of the folder at every
// change: none ever holds the key while others may read it, and the file ends 0600.
TEST(SettingsFileDurability, TheKeyIsNeverInAFileOthersMayRead) {
  const std::string key = "pk_NeverForOthers";
  for (const bool secondName : {false, true}) {
    SettingsSandbox sandbox;
    const std::string folder = sandbox.dir().path();
    const int watch = inotify_init1(IN_CLOEXEC);
    ASSERT_GE(inotify_add_watch(watch, folder.c_str(),
                                IN_CREATE | IN_MODIFY | IN_MOVED_TO | IN_ATTRIB | IN_CLOSE_WRITE),
              0);
    std::atomic<bool> saving{true};
    std::atomic<int> exposed{0};
    std::thread watcher([&] {
      alignas(inotify_event) char events[4096];
      while (saving) {
        pollfd ready{watch, POLLIN, 0};
        if (poll(&ready, 1, 10) <= 0) continue;
        const ssize_t length = read(watch, events, sizeof events);
        for (ssize_t at = 0; at < length;) {
          const auto* event = reinterpret_cast<const inotify_event*>(events + at);
          at += static_cast<ssize_t>(sizeof(inotify_event) + event->len);
          if (event->len == 0) continue;
          // The contents first: a mode read after a key was seen is the mode it was written under.
          const int fd = open((folder + "/" + event->name).c_str(), O_RDONLY | O_NOFOLLOW);
          if (fd < 0) continue;
          char bytes[512];
          const ssize_t n = read(fd, bytes, sizeof bytes);
          struct stat status {};
          if (n > 0 &&
              std::string_view(bytes, static_cast<size_t>(n)).find(key) != std::string_view::npos &&
              fstat(fd, &status) == 0 && (status.st_mode & 077) != 0) {
            ++exposed;
          }
          close(fd);
        }
      }
    });
    for (int round = 0; round < 30; ++round) {
      unlink(sandbox.IniPath().c_str());
      unlink(sandbox.dir().File("other name").c_str());
      WriteFile(sandbox.IniPath(), "[PARAM]\r\nSCAN_FLAG=1\r\n");
      chmod(sandbox.IniPath().c_str(), 0644);
      if (secondName) link(sandbox.IniPath().c_str(), sandbox.dir().File("other name").c_str());
      ServiceSettings service;
      service.applicationId = "a";
      service.accessKey = key;
      ASSERT_TRUE(settings::SaveServiceSettings(service));
    }
    saving = false;
    watcher.join();
    close(watch);
    EXPECT_EQ(exposed, 0) << (secondName ? "rewritten in place" : "replaced");
    struct stat status {};
    ASSERT_EQ(stat(sandbox.IniPath().c_str(), &status), 0);
    EXPECT_EQ(status.st_mode & 07777, 0600u);
  }
}

// The tray program and the service window save the same file at once, each in a process of its
// own and each checking before every save that its last one is still there: none is undone by
// the other, none fails.
TEST(SettingsFileDurability, TwoProcessesSavingAtOnceUndoNothing) {
  SettingsSandbox sandbox;
  constexpr int kSaves = 200;
  const auto saver = [](bool serviceWindow) {
    for (int i = 0; i < kSaves; ++i) {
      LoadSettings();
      const std::string found = serviceWindow ? SnapshotService().applicationId
                                              : std::string(watchState.settings.scanKeyword);
      if (found != (i == 0 ? "" : std::to_string(i - 1))) return 1;
      if (serviceWindow) {
        ServiceSettings service;
        service.applicationId = std::to_string(i);
        if (!settings::SaveServiceSettings(service)) return 2;
      } else {
        watchState.settings.scanKeyword = std::to_string(i);
        SaveSettings();
      }
    }
    return 0;
  };
  pid_t savers[2];
  for (int which = 0; which < 2; ++which) {
    savers[which] = fork();
    if (savers[which] == 0) _exit(saver(which == 1));
  }
  for (const pid_t pid : savers) {
    int status = -1;
    waitpid(pid, &status, 0);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0)
        << (pid == savers[1] ? "service window: " : "tray: ")
        << (WEXITSTATUS(status) == 1 ? "a save was undone" : "a save failed");
  }
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), std::to_string(kSaves - 1));
  EXPECT_EQ(SnapshotService().applicationId, std::to_string(kSaves - 1));
}

TEST(SettingsFileDurability, AFileJustUnderTheLimitReadsWhole) {
  SettingsSandbox sandbox;
  const std::string lineEnds(platform::ProfileFile::kMaxFileSize - kFullSettings.size(), '\r');
  WriteFile(sandbox.IniPath(), lineEnds + kFullSettings);
  LoadSettings();
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  EXPECT_EQ(settings.scanTimesale, 1);
}

TEST(SettingsFileDurability, AUtf8ByteOrderMarkIsSkippedAndKept) {
  SettingsSandbox sandbox;
  WriteFile(sandbox.IniPath(), "\xEF\xBB\xBF" + kFullSettings);
  LoadSettings();
  EXPECT_EQ(settings.scanFlag, 1);
  EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
  settings.scanPrice = "700";
  SaveSettings();
  const std::string text = ReadFile(sandbox.IniPath());
  EXPECT_EQ(text.find("\xEF\xBB\xBF[PARAM]\r\n"), 0u);
  EXPECT_EQ(text.find("[PARAM]", 4), std::string::npos);
  EXPECT_NE(text.find("SCAN_PRICE=700\r\n"), std::string::npos);
}

TEST(SettingsFileDurability, AUtf16FileIsReadInCodePage932AndLeftUntouched) {
  SettingsSandbox sandbox;
  const std::u16string text = u"[PARAM]\r\nSCAN_FLAG=1\r\nSCAN_KEYWORD=腕時計\r\n";
  std::string little = "\xFF\xFE", big = "\xFE\xFF";
  for (const char16_t unit : text) {
    little += {static_cast<char>(unit & 0xFF), static_cast<char>(unit >> 8)};
    big += {static_cast<char>(unit >> 8), static_cast<char>(unit & 0xFF)};
  }
  for (const std::string& bytes : {little, big}) {
    WriteFile(sandbox.IniPath(), bytes);
    LoadSettings();
    EXPECT_EQ(settings.scanFlag, 1);
    EXPECT_EQ(std::string(settings.scanKeyword), kWatch);
    settings.scanPrice = "700";
    SaveSettings();
    EXPECT_EQ(ReadFile(sandbox.IniPath()), bytes);
  }
}

// Another process replaces the file again and again; every load sees one file or the other.
TEST(SettingsFileDurability, OneLoadReadsOneVersionOfTheFile) {
  SettingsSandbox sandbox;
  const std::string other =
      "[PARAM]\r\nSCAN_FLAG=0\r\nSCAN_KEYWORD=other\r\nSCAN_PRICE=\r\nSCAN_ZAIKO=0\r\n"
      "SCAN_TIMESALE=0\r\n";
  WriteFile(sandbox.IniPath(), kFullSettings);
  const pid_t pid = fork();
  if (pid == 0) {
    const std::string next = sandbox.dir().File("next");
    for (int i = 0;; ++i) {
      WriteFile(next, i % 2 == 0 ? other : kFullSettings);
      rename(next.c_str(), sandbox.IniPath().c_str());
    }
  }
  int mixed = 0;
  for (int i = 0; i < 2000; ++i) {
    LoadSettings();
    const bool full = settings.scanFlag == 1 && std::string(settings.scanKeyword) == kWatch &&
                      std::string(settings.scanPrice) == "5000" && settings.scanZaiko == 1 &&
                      settings.scanTimesale == 1;
    const bool isOther = settings.scanFlag == 0 && std::string(settings.scanKeyword) == "other" &&
                         std::string(settings.scanPrice).empty() && settings.scanZaiko == 0 &&
                         settings.scanTimesale == 0;
    mixed += !full && !isOther;
  }
  kill(pid, SIGKILL);
  waitpid(pid, nullptr, 0);
  EXPECT_EQ(mixed, 0);
}

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
    int firstSaved[2];
    ASSERT_EQ(pipe(firstSaved), 0);
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
        if (i == 0) [[maybe_unused]]
          const auto told = write(firstSaved[1], "s", 1);
      }
    }
    // The kill falls among the saves, however slowly a busy machine starts the first.
    close(firstSaved[1]);
    char saved = 0;
    ASSERT_EQ(read(firstSaved[0], &saved, 1), 1) << "round " << round;
    close(firstSaved[0]);
    usleep(std::uniform_int_distribution<useconds_t>(0, 5000)(random));
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
    const std::string text = ReadFile(sandbox.IniPath());
    ASSERT_TRUE(text == a || text == b) << "round " << round << ":\n" << text;
    roundsEndingNew += text == b;
    // setting.ini and at most the one temporary file that the next save removes
    ASSERT_LE(sandbox.FileCount(), 2) << "round " << round;
  }
  // Kills came after every kind of save, not only after the first.
  EXPECT_GT(roundsEndingNew, 10);
  EXPECT_LT(roundsEndingNew, 990);
}

}  // namespace
