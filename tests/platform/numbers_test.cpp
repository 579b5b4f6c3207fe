#include "platform/runtime/numbers.h"

#include <gtest/gtest.h>

namespace {

TEST(Atoi, ReadsLeadingDecimalNumberLikeTheRuntime) {
  EXPECT_EQ(platform::Atoi("12"), 12);
  EXPECT_EQ(platform::Atoi("  \t 7"), 7);
  EXPECT_EQ(platform::Atoi("-3"), -3);
  EXPECT_EQ(platform::Atoi("+4"), 4);
  EXPECT_EQ(platform::Atoi("12abc"), 12);
  EXPECT_EQ(platform::Atoi("yes"), 0);
  EXPECT_EQ(platform::Atoi(""), 0);
  EXPECT_EQ(platform::Atoi("- 5"), 0);
  EXPECT_EQ(platform::Atoi("0x1F"), 0);
}

TEST(Atoi, SaturatesOutsideThe32BitRange) {
  EXPECT_EQ(platform::Atoi("2147483647"), 2147483647);
  EXPECT_EQ(platform::Atoi("-2147483648"), INT32_MIN);
  EXPECT_EQ(platform::Atoi("2147483648"), INT32_MAX);
  EXPECT_EQ(platform::Atoi("-99999999999999999999999"), INT32_MIN);
  EXPECT_EQ(platform::Atoi(std::string(5000, '9')), INT32_MAX);
}

}  // namespace
