#include <clocale>

#include <gtest/gtest.h>

#include "worker/watch_worker.h"

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
