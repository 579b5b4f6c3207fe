#include "base/utf8.h"

#include <gtest/gtest.h>

namespace {

// A fixed-size field (the tray's tip and notice) takes whole characters only.
TEST(Utf8Prefix, EndsBetweenWholeCharactersWithinTheLimit) {
  const std::string_view text = "a確認\xF0\x9F\x98\x80z";  // 1, 3, 3, 4 and 1 bytes
  EXPECT_EQ(Utf8Prefix(text, 100), text);
  EXPECT_EQ(Utf8Prefix(text, 12), text);
  EXPECT_EQ(Utf8Prefix(text, 11), "a確認\xF0\x9F\x98\x80");
  EXPECT_EQ(Utf8Prefix(text, 10), "a確認");
  EXPECT_EQ(Utf8Prefix(text, 6), "a確");
  EXPECT_EQ(Utf8Prefix(text, 3), "a");
  EXPECT_EQ(Utf8Prefix(text, 0), "");
  // A malformed byte ends what can be copied, as a cut half character would.
  EXPECT_EQ(Utf8Prefix("ab\xE7\xA2x", 100), "ab");
  EXPECT_EQ(Utf8Prefix("ab\xC0\xAFx", 100), "ab");
}

}  // namespace
