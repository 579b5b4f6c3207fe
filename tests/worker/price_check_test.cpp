#include <clocale>
#include <cstdlib>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "worker/price_check.h"

namespace {

struct PriceCase {
  const char* text;
  int expected;
};

// 0 acceptable, 1 negative, 2 not a number.
const PriceCase kCases[] = {
    {"", 0},      {"0", 0},    {"-0", 0},    {"5000", 0}, {" 500", 0},  {"\t 100", 0},
    {"1e3", 0},   {".5", 0},   {"5.", 0},    {"+7", 0},   {"1E+2", 0},  {"-0.0e9", 0},
    {"-1", 1},    {"-5.5", 1}, {"-1e3", 1},  {"500 ", 2}, {"1,000", 2}, {"-5円", 2},
    {"12円", 2},  {"abc", 2},  {"   ", 2},   {".", 2},    {"-", 2},     {"+", 2},
    {"1e", 2},    {"1e+", 2},  {"0x10", 2},  {"inf", 2},  {"nan", 2},   {"-inf", 2},
    {"1.2.3", 2}, {"12a", 2},  {"1 000", 2}, {"１２", 2}, {"5\n", 2},   {"--1", 2},
};

TEST(CheckPriceText, ClassifiesPriceTexts) {
  for (const auto& c : kCases)
    EXPECT_EQ(CheckPriceText(c.text), c.expected) << '"' << c.text << '"';
}

// The C library's strtod in the C locale: 2 when any character follows the number it read
// (nothing read counts as stopping at the start), else 1 for a value below zero, else 0.
int StrtodVerdict(const std::string& text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  return *end != '\0' ? 2 : value < 0 ? 1 : 0;
}

// Every text of up to five characters, and longer ones at random, from an alphabet of the pieces
// of a number and a few others. Letters with which glibc's strtod reads beyond decimal numbers
// (hexadecimal, inf, nan) are left out; the case list above covers those.
TEST(CheckPriceText, AgreesWithStrtodInTheCLocaleOnGeneratedTexts) {
  std::setlocale(LC_ALL, "C");
  const std::string alphabet = " \t\n+-.eE0159b,";
  std::vector<std::string> texts{""};
  for (size_t from = 0; texts.back().size() < 5;) {
    const size_t to = texts.size();
    for (size_t i = from; i < to; ++i) {
      for (const char c : alphabet) texts.push_back(texts[i] + c);
    }
    from = to;
  }
  std::mt19937 random(12);
  for (int i = 0; i < 100'000; ++i) {
    std::string text(std::uniform_int_distribution<size_t>(6, 24)(random), ' ');
    for (char& c : text) c = alphabet[random() % alphabet.size()];
    texts.push_back(text);
  }
  int disagreements = 0;
  for (const std::string& text : texts) {
    if (CheckPriceText(text) != StrtodVerdict(text) && ++disagreements <= 10) {
      ADD_FAILURE() << '"' << text << "\": " << CheckPriceText(text) << ", strtod "
                    << StrtodVerdict(text);
    }
  }
  EXPECT_EQ(disagreements, 0) << "of " << texts.size();
}

TEST(CheckPriceText, DoesNotDependOnTheLocale) {
  for (const char* name : {"de_DE.UTF-8", "fr_FR.UTF-8", "C.UTF-8"}) {
    if (std::setlocale(LC_ALL, name) == nullptr) continue;
    EXPECT_EQ(CheckPriceText("1.5"), 0) << name;
    EXPECT_EQ(CheckPriceText("1,5"), 2) << name;
    EXPECT_EQ(CheckPriceText("-1.5"), 1) << name;
  }
  std::setlocale(LC_ALL, "C");
}

}  // namespace
