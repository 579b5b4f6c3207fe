#include "platform/codepage/codepage.h"

#include <random>
#include <vector>

#include <gtest/gtest.h>

namespace {

using platform::AnsiToWide;
using platform::Utf8ToWide;
using platform::WideToAnsi;

TEST(Codepage, ConvertsCp932BothWays) {
  const std::string fukubukuro = "\x95\x9F\x91\xDC";  // 福袋
  EXPECT_EQ(AnsiToWide(fukubukuro), u"福袋");
  EXPECT_EQ(WideToAnsi(u"福袋", ' '), fukubukuro);
  EXPECT_EQ(AnsiToWide("\xB1"), u"ｱ");  // half-width katakana: one byte
  EXPECT_EQ(WideToAnsi(u"abc ｱ", ' '), "abc \xB1");
  EXPECT_EQ(AnsiToWide(""), u"");
}

TEST(Codepage, EveryCp932CharacterRoundTrips) {
  int characters = 0;
  for (int lead = 0x81; lead <= 0xFC; ++lead) {
    if (lead == 0xA0) lead = 0xE0;  // the single-byte katakana lie between the lead-byte ranges
    for (int trail = 0x40; trail <= 0xFC; ++trail) {
      if (trail == 0x7F) continue;
      const std::string bytes = {static_cast<char>(lead), static_cast<char>(trail)};
      const std::u16string wide = AnsiToWide(bytes);
      if (wide == u"\uFFFD") continue;
      ASSERT_EQ(wide.size(), 1u);
      // Some characters have two forms (NEC and IBM rows); one of them comes back, and that one
      // must then be stable.
      const std::string back = WideToAnsi(wide, '?');
      ASSERT_EQ(AnsiToWide(back), wide) << std::hex << lead << ' ' << trail;
      ++characters;
    }
  }
  EXPECT_GT(characters, 7000);
}

TEST(Codepage, InvalidBytesBecomeReplacementsWithoutLosingTheRest) {
  EXPECT_EQ(AnsiToWide("a\x80"
                       "b"),
            u"a\uFFFDb");
  EXPECT_EQ(AnsiToWide("a\xFF"), u"a\uFFFD");
  EXPECT_EQ(AnsiToWide("a\x95"), u"a\uFFFD");      // lead byte at the end
  EXPECT_EQ(AnsiToWide("\x95\n"), u"\uFFFD\n");    // lead byte, no trail byte
  EXPECT_EQ(AnsiToWide("\x85\x40z"), u"\uFFFDz");  // a pair that names nothing
}

TEST(Codepage, CharactersOutsideCp932BecomeTheDefaultCharacter) {
  EXPECT_EQ(WideToAnsi(u"a\u00E9b", ' '), "a b");      // glibc has no form for é
  EXPECT_EQ(WideToAnsi(u"x\U0001F600y", ' '), "x y");  // a surrogate pair is one character
  EXPECT_EQ(WideToAnsi(std::u16string(u"x") + char16_t(0xD800) + u"y", '?'), "x?y");
  EXPECT_EQ(WideToAnsi(u"\uFFFD", '?'), "?");
}

TEST(Codepage, Utf8DecodingReplacesEachMalformedSequence) {
  EXPECT_EQ(Utf8ToWide("\xE7\xA6\x8F"), u"福");
  EXPECT_EQ(Utf8ToWide("\xF0\x9F\x98\x80"), u"\U0001F600");
  EXPECT_EQ(Utf8ToWide("a\xFF"
                       "b"),
            u"a\uFFFDb");
  EXPECT_EQ(Utf8ToWide("a\xE7\xA6"), u"a\uFFFD");                // cut short at the end
  EXPECT_EQ(Utf8ToWide("\xE7\xA6z"), u"\uFFFDz");                // cut short before a letter
  EXPECT_EQ(Utf8ToWide("\xC0\xAF"), u"\uFFFD\uFFFD");            // overlong
  EXPECT_EQ(Utf8ToWide("\xED\xA0\x80"), u"\uFFFD\uFFFD\uFFFD");  // an encoded surrogate
  EXPECT_EQ(Utf8ToWide("\xF4\x90\x80\x80"), u"\uFFFD\uFFFD\uFFFD\uFFFD");  // beyond U+10FFFF
  EXPECT_EQ(Utf8ToWide(std::string("a\0b", 3)), std::u16string(u"a\0b", 3));
}

TEST(Codepage, DirectUtf8ConversionMatchesTheUtf16Hop) {
  for (char16_t u = 0; u < 0x80; ++u) {
    ASSERT_EQ(WideToAnsi(std::u16string(1, u), '?'), std::string(1, static_cast<char>(u)));
  }
  std::mt19937 random(932);
  const std::vector<std::string> pieces = {
      "a",    "abcdefghij",   "\xE7\xA6\x8F", "\xC3\xA9", "\xF0\x9F\x98\x80",  "\xFF",
      "\xE7", "\xED\xA0\x80", "\xEF\xBD\xB1", "\n",       std::string(1, '\0')};
  for (int round = 0; round < 2000; ++round) {
    std::string utf8;
    for (int i = random() % 40; i > 0; --i) utf8 += pieces[random() % pieces.size()];
    std::string direct(utf8.size(), '\0');
    direct.resize(platform::WriteUtf8AsAnsi(utf8, ' ', direct.data()));
    ASSERT_EQ(direct, WideToAnsi(Utf8ToWide(utf8), ' '));
  }
}

TEST(Codepage, Utf8EncodingOfWideText) {
  EXPECT_EQ(platform::WideToUtf8(u"a福\U0001F600"), "a\xE7\xA6\x8F\xF0\x9F\x98\x80");
  EXPECT_EQ(platform::WideToUtf8(std::u16string(1, char16_t(0xDC00))), "\xEF\xBF\xBD");
}

}  // namespace
