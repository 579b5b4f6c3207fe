#include "platform/profile/profile_file.h"

#include <filesystem>

#include <gtest/gtest.h>

#include "support/temp_dir.h"

namespace {

using platform::ProfileFile;
using testing_support::ReadFile;
using testing_support::TempDir;

TEST(ProfileRead, LooksUpSectionAndKeyWithoutRegardToCase) {
  const auto file =
      ProfileFile::Parse("[other]\r\nkey=no\r\n[Param]\r\nScan_Flag=1\r\nkey=yes\r\n");
  EXPECT_EQ(file.GetString("PARAM", "SCAN_FLAG", " "), "1");
  EXPECT_EQ(file.GetString("param", "KEY", " "), "yes");
  EXPECT_EQ(file.GetString("OTHER", "key", " "), "no");
}

TEST(ProfileRead, EndsLinesAtCrLfLfOrALoneCr) {
  const auto crOnly = ProfileFile::Parse("[PARAM]\rSCAN_FLAG=1\rSCAN_PRICE=5\r");
  EXPECT_EQ(crOnly.GetString("PARAM", "SCAN_FLAG", ""), "1");
  EXPECT_EQ(crOnly.GetString("PARAM", "SCAN_PRICE", ""), "5");
  const auto mixed = ProfileFile::Parse("[S]\r\na=1\rb=2\nc=3\r\r\nd=4");
  EXPECT_EQ(mixed.GetString("S", "a", ""), "1");
  EXPECT_EQ(mixed.GetString("S", "b", ""), "2");
  EXPECT_EQ(mixed.GetString("S", "c", ""), "3");
  EXPECT_EQ(mixed.GetString("S", "d", ""), "4");
  EXPECT_EQ(mixed.Text(), "[S]\r\na=1\r\nb=2\r\nc=3\r\n\r\nd=4\r\n");
}

TEST(ProfileRead, ReadsNamesByDoubleByteCharacters) {
  // ゾ is 83 5D, its second byte ']'; ア (83 41) and ヂ (83 61) differ only in a letter's case.
  const auto file = ProfileFile::Parse(
      "[\x83\x5D]\nk=zo\n"
      "[\x83\x41]\nk=a\n\x83\x41=key a\n"
      "[x\x83\x61]\nk=xdi\n");
  EXPECT_EQ(file.GetString("\x83\x5D", "k", "d"), "zo");
  EXPECT_EQ(file.GetString("\x83\x61", "k", "d"), "d");
  EXPECT_EQ(file.GetString("\x83\x41", "\x83\x61", "d"), "d");
  EXPECT_EQ(file.GetString("\x83\x41", "\x83\x41", "d"), "key a");
  EXPECT_EQ(file.GetString("X\x83\x61", "K", "d"), "xdi");
  EXPECT_EQ(file.GetString("x\x83\x41", "k", "d"), "d");
}

TEST(ProfileRead, TrimsBlanksAndOnePairOfQuotes) {
  const auto file = ProfileFile::Parse(
      "[S]\n"
      "a =  spaced value \t\n"
      "b=\"quoted \"\n"
      "c=' single '\n"
      "d=\"\"x\"\"\n"
      "e=\"mismatched'\n"
      "f=\"\n");
  EXPECT_EQ(file.GetString("S", "a", ""), "spaced value");
  EXPECT_EQ(file.GetString("S", "b", ""), "quoted ");
  EXPECT_EQ(file.GetString("S", "c", ""), " single ");
  EXPECT_EQ(file.GetString("S", "d", ""), "\"x\"");
  EXPECT_EQ(file.GetString("S", "e", ""), "\"mismatched'");
  EXPECT_EQ(file.GetString("S", "f", ""), "\"");
}

// As the platform's functions: 0x1A (an old end-of-file mark) is a blank, and names asked for
// with blanks around them match; a line end after a lead byte still ends the line.
TEST(ProfileRead, TakesEndOfFileMarksAndBlanksAroundAskedNamesAsBlanks) {
  auto file = ProfileFile::Parse(
      "[S]\r\n"
      "k=v\x1A\r\n"
      "z=\x1A w \x1A\r\n"
      "lead=a\x83\n"
      "next=1\n");
  EXPECT_EQ(file.GetString("S", "k", ""), "v");
  EXPECT_EQ(file.GetString("S", "z", ""), "w");
  EXPECT_EQ(file.GetString(" S\t", "  k ", ""), "v");
  EXPECT_EQ(file.GetString("S", "lead", ""), "a\x83");
  EXPECT_EQ(file.GetString("S", "next", ""), "1");
  file.SetString(" S ", " k ", "2");
  EXPECT_EQ(file.Text(), "[S]\r\nk=2\r\nz=\x1A w \x1A\r\nlead=a\x83\r\nnext=1\r\n");
}

TEST(ProfileRead, MissingFileSectionOrKeyGivesTheDefaultWithoutTrailingBlanks) {
  TempDir dir;
  const auto missing = ProfileFile::Load(dir.File("none.ini"));
  EXPECT_EQ(missing.GetString("PARAM", "SCAN_FLAG", " "), "");
  EXPECT_EQ(missing.GetString("PARAM", "SCAN_FLAG", " x  "), " x");
  const auto file = ProfileFile::Parse("[PARAM]\r\nSCAN_FLAG=1\r\n");
  EXPECT_EQ(file.GetString("PARAM", "SCAN_PRICE", " "), "");
  EXPECT_EQ(file.GetString("OTHER", "SCAN_FLAG", "d"), "d");
}

TEST(ProfileRead, CapsValuesAt511BytesAndStopsAtZeroBytes) {
  const auto file = ProfileFile::Parse("[S]\nlong=" + std::string(100 * 1024, 'x') + "\nnul=ab" +
                                       std::string(1, '\0') + "cd\n");
  EXPECT_EQ(file.GetString("S", "long", ""), std::string(511, 'x'));
  EXPECT_EQ(file.GetString("S", "nul", ""), "ab");
}

TEST(ProfileRead, NeverCutsADoubleByteCharacterInHalf) {
  std::string kanji;
  for (int i = 0; i < 256; ++i) kanji += "\x8A\xBF";  // 漢
  const auto file = ProfileFile::Parse("[S]\nk=" + kanji + "\nodd=x" + kanji + "\n");
  EXPECT_EQ(file.GetString("S", "k", ""), kanji.substr(0, 510));
  EXPECT_EQ(file.GetString("S", "odd", ""), "x" + kanji.substr(0, 510));
  EXPECT_EQ(file.GetString("S", "none", kanji), kanji.substr(0, 510));
}

TEST(ProfileRead, SurvivesGarbage) {
  const auto file = ProfileFile::Parse(
      "garbage before any section\n"
      "[broken header\n"
      "\xFF\x80\x81=odd bytes\n"
      "[S]\n"
      "line without equals\n"
      ";key=commented\n"
      "=no key\n"
      "key=\x82\xA0\x81\n"
      "key=second\n");
  EXPECT_EQ(file.GetString("S", "key", "d"), "\x82\xA0\x81");  // bytes as they are; first wins
  EXPECT_EQ(file.GetString("S", ";key", "d"), "d");
  EXPECT_EQ(file.GetString("S", "line without equals", "d"), "d");
}

TEST(ProfileWrite, CreatesTheFileAndSectionWithCrLf) {
  TempDir dir;
  ProfileFile file = ProfileFile::Load(dir.File("new.ini"));
  file.SetString("PARAM", "A", "1");
  file.SetString("PARAM", "B", "");
  ASSERT_TRUE(file.Save(dir.File("new.ini")));
  EXPECT_EQ(ReadFile(dir.File("new.ini")), "[PARAM]\r\nA=1\r\nB=\r\n");
}

TEST(ProfileWrite, ReplacesInPlaceAppendsToTheSectionAndKeepsEverythingElse) {
  ProfileFile file = ProfileFile::Parse(
      "; comment\n"
      "[first]\n"
      "  b = old  \n"
      "x=1\n"
      "\n"
      "[second]\n"
      "y = keep  me\n");
  file.SetString("FIRST", "B", "new value ");
  file.SetString("first", "c", "added");
  file.SetString("third", "z", "9");
  EXPECT_EQ(file.Text(),
            "; comment\r\n"
            "[first]\r\n"
            "b=new value \r\n"
            "x=1\r\n"
            "c=added\r\n"
            "\r\n"
            "[second]\r\n"
            "y = keep  me\r\n"
            "[third]\r\n"
            "z=9\r\n");
}

TEST(ProfileWrite, NeverWritesAFileTooLargeToReadBack) {
  TempDir dir;
  const std::string path = dir.File("p.ini");
  ProfileFile file = ProfileFile::Load(path);
  file.SetString("S", "k", std::string(ProfileFile::kMaxFileSize, 'x'));
  EXPECT_FALSE(file.Save(path));
  EXPECT_FALSE(std::filesystem::exists(path));
}

TEST(ProfileWrite, WrittenValuesReadBackByTheReadRules) {
  TempDir dir;
  ProfileFile file = ProfileFile::Load(dir.File("p.ini"));
  file.SetString("S", "blanks", "  x  ");
  file.SetString("S", "quotes", "\"q\"");
  ASSERT_TRUE(file.Save(dir.File("p.ini")));
  const auto again = ProfileFile::Load(dir.File("p.ini"));
  EXPECT_EQ(again.GetString("S", "blanks", ""), "x");
  EXPECT_EQ(again.GetString("S", "quotes", ""), "q");
  EXPECT_NE(ReadFile(dir.File("p.ini")).find("blanks=  x  \r\n"), std::string::npos);
}

}  // namespace
