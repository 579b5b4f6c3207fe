#include "service/text_encoding.h"

#include <gtest/gtest.h>

#include "support/wine.h"

namespace service {

namespace {

using testing_support::RunningUnderWine;

#ifdef _WIN32
constexpr bool kWindows = true;
#else
constexpr bool kWindows = false;
#endif

std::string Decode(const char* utf8) {
  const auto buffer = Utf8ToAnsi(utf8);
  return buffer ? std::string(buffer.get()) : std::string("<null>");
}

TEST(EncodeKeyword, EncodesEveryUtf8ByteInUpperCaseHex) {
  EXPECT_EQ(EncodeKeyword("\x95\x9F\x91\xDC"), "%E7%A6%8F%E8%A2%8B");  // 福袋
  EXPECT_EQ(EncodeKeyword("ab 1"), "%61%62%20%31");
  EXPECT_EQ(EncodeKeyword("\xB1"), "%EF%BD%B1");  // half-width ｱ
  EXPECT_EQ(EncodeKeyword("-._~+&="), "%2D%2E%5F%7E%2B%26%3D");
  EXPECT_EQ(EncodeKeyword(""), "");
}

TEST(EncodeKeyword, TakesAnyBytesWithoutFailing) {
  std::string all;
  for (int b = 1; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string encoded = EncodeKeyword(all.c_str());
  ASSERT_EQ(encoded.size() % 3, 0u);
  for (size_t i = 0; i < encoded.size(); i += 3) {
    ASSERT_EQ(encoded[i], '%');
    ASSERT_TRUE(isxdigit(encoded[i + 1]) && !islower(encoded[i + 1]));
  }
  // Not code page 932: glibc's table has no 0x80, Windows' maps it to U+0080.
  EXPECT_EQ(EncodeKeyword("\x80"), kWindows ? "%C2%80" : "%EF%BF%BD");
}

TEST(PercentEncode, KeepsExactlyTheUnreservedBytesWhenAsked) {
  std::string all;
  for (int b = 0; b < 256; ++b) all.push_back(static_cast<char>(b));
  const std::string kept = PercentEncode(all, Unreserved::Keep);
  EXPECT_EQ(kept.size(), 66u + (256 - 66) * 3);  // 26 + 26 + 10 + "-._~"
  EXPECT_NE(kept.find("%2C-.%2F0123456789%3A"), std::string::npos);
  EXPECT_NE(kept.find("%40ABCDEFGHIJKLMNOPQRSTUVWXYZ%5B%5C%5D%5E_%60abc"), std::string::npos);
  EXPECT_NE(kept.find("xyz%7B%7C%7D~%7F%80"), std::string::npos);
  EXPECT_EQ(kept.substr(kept.size() - 3), "%FF");
  EXPECT_EQ(PercentEncode(all, Unreserved::Encode).size(), 256u * 3);
}

TEST(AnsiToUtf8, EncodesEachUnitOnItsOwn) {
  EXPECT_EQ(AnsiToUtf8("a\x95\x9F"), "a\xE7\xA6\x8F");
  EXPECT_EQ(AnsiToUtf8("\x81\x60"), "\xEF\xBD\x9E");  // the wave dash: U+FF5E, as Windows
}

TEST(Utf8ToAnsi, DecodesToCp932) {
  EXPECT_EQ(Decode("\xE7\xA6\x8F\xE8\xA2\x8B <Status>"), "\x95\x9F\x91\xDC <Status>");
  EXPECT_EQ(Decode(""), "");  // empty text, not null
}

TEST(Utf8ToAnsi, CharactersOutsideCp932AndMalformedBytesBecomeOneBlank) {
  // An emoji. Wine: each unit of its surrogate pair becomes a default character.
  EXPECT_EQ(Decode("a\xF0\x9F\x98\x80z"), RunningUnderWine() ? "a  z" : "a z");
  // é: no form in glibc's table; Windows' best-fit folds it to e.
  EXPECT_EQ(Decode("a\xC3\xA9z"), kWindows ? "aez" : "a z");
  EXPECT_EQ(Decode("a\xFFz"), "a z");  // malformed: U+FFFD, then a blank
  EXPECT_EQ(Decode("\xE7\xA6"), " ");  // cut short
}

}  // namespace

}  // namespace service
