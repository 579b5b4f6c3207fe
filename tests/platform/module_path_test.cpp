#include "platform/runtime/module_path.h"

#include <gtest/gtest.h>

namespace {

TEST(SplitPath, PiecesJoinBackIntoThePath) {
#ifdef _WIN32
  const std::string path = "C:\\Program Files\\Kobanu\\kobanu.exe";
  const platform::PathParts expected{"C:", "\\Program Files\\Kobanu\\", "kobanu", ".exe"};
#else
  const std::string path = "/opt/kobanu.d/bin/kobanu";
  const platform::PathParts expected{"", "/opt/kobanu.d/bin/", "kobanu", ""};
#endif
  const auto parts = platform::SplitPath(path);
  EXPECT_EQ(parts.drive, expected.drive);
  EXPECT_EQ(parts.dir, expected.dir);
  EXPECT_EQ(parts.name, expected.name);
  EXPECT_EQ(parts.ext, expected.ext);
  EXPECT_EQ(parts.drive + parts.dir + parts.name + parts.ext, path);
}

TEST(ExecutablePath, NamesThisTestProgram) {
  EXPECT_NE(platform::ExecutablePath().find("platform_test"), std::string::npos);
}

}  // namespace
