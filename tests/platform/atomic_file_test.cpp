#include "platform/profile/atomic_file.h"

#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>

#include "support/child_process.h"
#include "support/temp_dir.h"

namespace {

using platform::ReplaceFile;
using testing_support::kNobody;
using testing_support::ReadFile;
using testing_support::RunInChild;
using testing_support::TempDir;
using testing_support::WriteFile;

mode_t ModeOf(const std::string& path) {
  struct stat st {};
  stat(path.c_str(), &st);
  return st.st_mode & 07777;
}

TEST(ReplaceFile, ReplacesContentsAndKeepsTheMode) {
  TempDir dir;
  const std::string path = dir.File("setting.ini");
  WriteFile(path, "old contents that are longer");
  chmod(path.c_str(), 0640);
  ASSERT_TRUE(ReplaceFile(path, "new"));
  EXPECT_EQ(ReadFile(path), "new");
  EXPECT_EQ(ModeOf(path), 0640u);
  // No temporary file is left behind.
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ReplaceFile, WritesThroughASymbolicLink) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("real"));
  const std::string target = dir.File("real/setting.ini");
  WriteFile(target, "old");
  std::filesystem::create_symlink("real/setting.ini", dir.File("setting.ini"));
  ASSERT_TRUE(ReplaceFile(dir.File("setting.ini"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("setting.ini")));
  EXPECT_EQ(ReadFile(target), "new");
}

TEST(ReplaceFile, NeverReplacesAFileMadeReadOnly) {
  TempDir dir;
  const std::string path = dir.File("setting.ini");
  WriteFile(path, "old");
  chmod(path.c_str(), 0444);
  EXPECT_FALSE(ReplaceFile(path, "new"));
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(ModeOf(path), 0444u);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

TEST(ReplaceFile, RewritesAFileWithOtherHardLinksInPlace) {
  TempDir dir;
  WriteFile(dir.File("setting.ini"), "old");
  std::filesystem::create_hard_link(dir.File("setting.ini"), dir.File("other name"));
  ASSERT_TRUE(ReplaceFile(dir.File("setting.ini"), "new and longer"));
  EXPECT_EQ(ReadFile(dir.File("other name")), "new and longer");
  ASSERT_TRUE(ReplaceFile(dir.File("setting.ini"), "short"));
  EXPECT_EQ(ReadFile(dir.File("other name")), "short");
}

TEST(ReplaceFile, FollowsLinksToTargetsNotYetThereAndFailsOnLoops) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("real"));
  std::filesystem::create_symlink("real/setting.ini", dir.File("setting.ini"));
  std::filesystem::create_symlink(dir.File("setting.ini"), dir.File("chained"));
  ASSERT_TRUE(ReplaceFile(dir.File("chained"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("setting.ini")));
  EXPECT_EQ(ReadFile(dir.File("real/setting.ini")), "new");

  std::filesystem::create_symlink("loop b", dir.File("loop a"));
  std::filesystem::create_symlink("loop a", dir.File("loop b"));
  EXPECT_FALSE(ReplaceFile(dir.File("loop a"), "new"));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("loop a")));
  EXPECT_TRUE(std::filesystem::is_symlink(dir.File("loop b")));
}

TEST(ReplaceFile, NeverWritesIntoWhatIsNoRegularFile) {
  TempDir dir;
  std::filesystem::create_directory(dir.File("directory"));
  ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0644), 0);
  for (const char* name : {"directory", "fifo"}) {
    EXPECT_FALSE(ReplaceFile(dir.File(name), "new")) << name;
  }
  EXPECT_TRUE(std::filesystem::is_directory(dir.File("directory")));
  EXPECT_TRUE(std::filesystem::is_fifo(dir.File("fifo")));
}

// Permissions do not bind root, so these run in a child that is an ordinary user.
class ReadOnlyDirectory : public ::testing::Test {
 protected:
  void SetUp() override {
    path = dir.File("setting.ini");
    WriteFile(path, "old");
    if (geteuid() == 0) {
      ASSERT_EQ(chown(dir.path().c_str(), kNobody, kNobody), 0);
      ASSERT_EQ(chown(path.c_str(), kNobody, kNobody), 0);
    }
    chmod(dir.path().c_str(), 0555);
  }
  TempDir dir;
  std::string path;
};

TEST_F(ReadOnlyDirectory, WritableFileIsRewrittenInPlace) {
  const int result = RunInChild([&] { return ReplaceFile(path, "new contents") ? 0 : 1; }, true);
  EXPECT_EQ(result, 0);
  EXPECT_EQ(ReadFile(path), "new contents");
}

TEST_F(ReadOnlyDirectory, ReadOnlyFileStaysAsItWas) {
  chmod(path.c_str(), 0444);
  const int result = RunInChild([&] { return ReplaceFile(path, "new") ? 0 : 1; }, true);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(path), "old");
}

// Rewritten in place, a file would be cut short where the disk filled up.
TEST_F(ReadOnlyDirectory, AFullDiskLeavesTheFileUntouched) {
  const int result = RunInChild(
      [&] {
        signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{16, 16};  // bytes a file may grow to
        setrlimit(RLIMIT_FSIZE, &limit);
        return ReplaceFile(path, std::string(4096, 'n')) ? 0 : 1;
      },
      true);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(path), "old");
}

TEST(ReplaceFile, AFullDiskLeavesTheOldFile) {
  TempDir dir;
  const std::string path = dir.File("setting.ini");
  WriteFile(path, "old");
  const int result = RunInChild([&] {
    signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{16, 16};  // bytes a file may grow to
    setrlimit(RLIMIT_FSIZE, &limit);
    return ReplaceFile(path, std::string(4096, 'n')) ? 0 : 1;
  });
  EXPECT_EQ(result, 1);
  EXPECT_EQ(ReadFile(path), "old");
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
}

}  // namespace
