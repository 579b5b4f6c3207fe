#include "desktop/price_chart.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace {

constexpr int64_t kHour = 60;
constexpr int64_t kDay = 24 * kHour;
const int64_t kNow = *service::MinutesOf("2026-12-08 10:00");

// Text as the in-memory window system measures it: 6 pixels a character, 12 beyond ASCII.
SIZE Measure(const std::string& text, int dpi) {
  int width = 0;
  for (const char c : text) {
    const auto b = static_cast<unsigned char>(c);
    width += b < 0x80 ? 6 : b >= 0xC0 ? 12 : 0;
  }
  return {width * dpi / 96, 13 * dpi / 96};
}

service::PriceRecord Priced(int64_t at, int64_t yen) {
  return {.time = service::TimeOfMinutes(at),
          .keyword = "腕時計",
          .count = 6,
          .price = yen,
          .name = "n",
          .address = "u",
          .outcome = "count 6"};
}
service::PriceRecord Failed(int64_t at) {
  return {
      .time = service::TimeOfMinutes(at), .keyword = "腕時計", .outcome = "network error: timeout"};
}
service::PriceRecord NothingFound(int64_t at) {
  return {.time = service::TimeOfMinutes(at),
          .keyword = "腕時計",
          .count = 0,
          .outcome = "nothing found"};
}

Chart Lay(const std::vector<service::PriceRecord>& rows, ChartPeriod period, int dpi = 96,
          SIZE size = {489, 276}, std::optional<int64_t> ceiling = 10000) {
  return LayOutChart({.rows = rows,
                      .now = kNow,
                      .period = period,
                      .ceiling = ceiling,
                      .size = size,
                      .dpi = dpi,
                      .textSize = [dpi](const std::string& t) { return Measure(t, dpi); }},
                     "nothing");
}

// The strokes of that ink in the plot, not the legend's samples above it.
std::vector<ChartStroke> Strokes(const Chart& chart, Ink ink) {
  std::vector<ChartStroke> found;
  std::copy_if(chart.strokes.begin(), chart.strokes.end(), std::back_inserter(found),
               [&](const ChartStroke& s) { return s.ink == ink && s.from.y >= chart.plot.top; });
  return found;
}

std::vector<ChartText> Texts(const Chart& chart, Ink ink) {
  std::vector<ChartText> found;
  std::copy_if(chart.texts.begin(), chart.texts.end(), std::back_inserter(found),
               [&](const ChartText& t) { return t.ink == ink; });
  return found;
}

// Where a text lands in its box, as DrawText places one line.
RECT Inked(const ChartText& text, int dpi) {
  const SIZE size = Measure(text.text, dpi);
  const RECT& box = text.box;
  const int left = (text.format & DT_RIGHT)    ? box.right - size.cx
                   : (text.format & DT_CENTER) ? (box.left + box.right - size.cx) / 2
                                               : box.left;
  const int top = (text.format & DT_BOTTOM)    ? box.bottom - size.cy
                  : (text.format & DT_VCENTER) ? (box.top + box.bottom - size.cy) / 2
                                               : box.top;
  return {left, top, left + size.cx, top + size.cy};
}

// Two days of hours before now, the cheapest between 9,800 and 12,400 yen; hour 20 failed and
// hour 30 found nothing.
std::vector<service::PriceRecord> TwoDays() {
  std::vector<service::PriceRecord> rows;
  for (int hour = 0; hour < 48; ++hour) {
    const int64_t at = kNow - (47 - hour) * kHour;
    if (hour == 20) {
      rows.push_back(Failed(at));
    } else if (hour == 30) {
      rows.push_back(NothingFound(at));
    } else {
      rows.push_back(Priced(at, 9800 + (hour % 14) * 200));
    }
  }
  return rows;
}

// The line follows the prices and breaks where an hour brought none; the failed hour is marked
// along the bottom; the ceiling is a dashed line on its step of the scale; the legend names all
// three.
TEST(PriceChart, TheLineBreaksAtHoursWithoutAPriceAndTheCeilingLiesOnItsStep) {
  const std::vector<service::PriceRecord> rows = TwoDays();
  const Chart chart = Lay(rows, ChartPeriod::kWeek);
  const RECT& plot = chart.plot;

  const std::vector<ChartStroke> price = Strokes(chart, Ink::kPrice);
  EXPECT_EQ(price.size(), 19u + 8u + 16u);  // hours 0-19, 21-29, 31-47
  const auto inPlot = [&](POINT p) {
    return p.x >= plot.left && p.x <= plot.right && p.y >= plot.top && p.y <= plot.bottom;
  };
  for (const ChartStroke& s : price) {
    EXPECT_TRUE(inPlot(s.from) && inPlot(s.to));
    EXPECT_LT(s.from.x, s.to.x);
  }
  // The highest price is drawn highest.
  const auto top = std::min_element(price.begin(), price.end(),
                                    [](auto& a, auto& b) { return a.from.y < b.from.y; });
  const auto bottom = std::max_element(price.begin(), price.end(),
                                       [](auto& a, auto& b) { return a.from.y < b.from.y; });
  EXPECT_LT(top->from.y, bottom->from.y);

  std::vector<ChartFill> failed;
  std::copy_if(chart.fills.begin(), chart.fills.end(), std::back_inserter(failed),
               [&](const ChartFill& f) { return f.ink == Ink::kFailed && f.rect.top > plot.top; });
  ASSERT_EQ(failed.size(), 1u);
  EXPECT_GE(failed[0].rect.right - failed[0].rect.left, 1);
  EXPECT_LT(failed[0].rect.top, plot.bottom);
  EXPECT_EQ(failed[0].rect.bottom, plot.bottom);
  // No price stroke crosses the failed hour.
  for (const ChartStroke& s : price) {
    EXPECT_FALSE(s.from.x < failed[0].rect.left && s.to.x > failed[0].rect.left);
  }

  const std::vector<ChartStroke> ceiling = Strokes(chart, Ink::kCeiling);
  ASSERT_GT(ceiling.size(), 10u);
  const auto tick = std::find_if(chart.texts.begin(), chart.texts.end(),
                                 [](const ChartText& t) { return t.text == "10,000円"; });
  ASSERT_NE(tick, chart.texts.end());
  for (const ChartStroke& s : ceiling) {
    EXPECT_EQ(s.from.y, (tick->box.top + tick->box.bottom) / 2);
    EXPECT_EQ(s.to.y, s.from.y);
  }
  EXPECT_LT(ceiling[0].to.x, ceiling[1].from.x);  // dashed
  std::vector<std::string> legend;
  for (const ChartText& t : Texts(chart, Ink::kLegend)) legend.push_back(t.text);
  EXPECT_EQ(legend, (std::vector<std::string>{"最安値", "上限 10,000円", "確認できなかった時間"}));
  // The ceiling is not the axis: the scale reaches below it.
  EXPECT_LT(ceiling[0].from.y, plot.bottom);
}

// For every period, resolution and size: the labels stay inside the control and apart from each
// other, the prices go up the axis in even round steps, and the dates go on along the bottom.
TEST(PriceChart, LabelsNeverOverlapOrLeaveTheControl) {
  std::vector<service::PriceRecord> year;
  for (int64_t at = kNow - 365 * kDay + kHour; at <= kNow; at += kHour) {
    year.push_back(Priced(at, 4980 + (at / kDay) % 40 * 250));
  }
  for (const ChartPeriod period : {ChartPeriod::kWeek, ChartPeriod::kMonth, ChartPeriod::kYear}) {
    for (const int dpi : {96, 144}) {
      for (const SIZE size : {SIZE{489, 276}, SIZE{260, 140}}) {
        const SIZE scaled{size.cx * dpi / 96, size.cy * dpi / 96};
        const Chart chart = Lay(year, period, dpi, scaled);
        const std::string what = "period " + std::to_string(static_cast<int>(period)) + " at " +
                                 std::to_string(dpi) + " dpi, " + std::to_string(size.cx);
        std::vector<RECT> inked;
        for (const ChartText& text : chart.texts) {
          const RECT r = Inked(text, dpi);
          EXPECT_GE(r.left, 0) << what << ": " << text.text;
          EXPECT_LE(r.right, scaled.cx) << what << ": " << text.text;
          EXPECT_GE(r.top, 0) << what << ": " << text.text;
          EXPECT_LE(r.bottom, scaled.cy) << what << ": " << text.text;
          for (const RECT& other : inked) {
            const bool apart = r.right <= other.left || other.right <= r.left ||
                               r.bottom <= other.top || other.bottom <= r.top;
            EXPECT_TRUE(apart) << what << ": " << text.text;
          }
          inked.push_back(r);
        }
        // Prices from the bottom up, a round step apart, at even heights.
        std::vector<int64_t> yen;
        std::vector<int> heights;
        std::vector<int> dates;
        for (const ChartText& text : Texts(chart, Ink::kLabel)) {
          if (text.text.ends_with("円")) {
            std::string digits = text.text.substr(0, text.text.size() - 3);
            std::erase(digits, ',');
            yen.push_back(std::stoll(digits));
            heights.push_back((text.box.top + text.box.bottom) / 2);
          } else {
            dates.push_back((text.box.left + text.box.right) / 2);
          }
        }
        ASSERT_GE(yen.size(), 3u) << what;
        const int64_t step = yen[1] - yen[0];
        int64_t leading = step;
        while (leading % 10 == 0) leading /= 10;
        EXPECT_TRUE(leading == 1 || leading == 2 || leading == 5) << what << ": step " << step;
        for (size_t i = 1; i < yen.size(); ++i) {
          EXPECT_EQ(yen[i] - yen[i - 1], step) << what;
          EXPECT_NEAR(heights[i - 1] - heights[i], heights[0] - heights[1], 1) << what;
        }
        EXPECT_GE(dates.size(), 2u) << what;
        EXPECT_TRUE(std::is_sorted(dates.begin(), dates.end())) << what;
        // Lines stay visible at any resolution: at 150 % a pixel's line is two.
        EXPECT_EQ(WidthOf(Ink::kGrid, dpi), dpi == 144 ? 2 : 1);
        EXPECT_EQ(WidthOf(Ink::kPrice, dpi), dpi == 144 ? 3 : 2);
      }
    }
  }
}

// The dates: each day over a week ("12/02" to "12/08"), every few days over 30, the months over a
// year; a year of hours is drawn one pixel's column at a time.
TEST(PriceChart, DatesSuitThePeriodAndAYearIsDrawnAColumnAtATime) {
  std::vector<service::PriceRecord> year;
  for (int64_t at = kNow - 365 * kDay + kHour; at <= kNow; at += kHour) {
    year.push_back(Priced(at, 9800));
  }
  const auto dates = [](const Chart& chart) {
    std::vector<std::string> found;
    for (const ChartText& t : Texts(chart, Ink::kLabel)) {
      if (!t.text.ends_with("円")) found.push_back(t.text);
    }
    return found;
  };
  EXPECT_EQ(
      dates(Lay(year, ChartPeriod::kWeek)),
      (std::vector<std::string>{"12/02", "12/03", "12/04", "12/05", "12/06", "12/07", "12/08"}));
  const std::vector<std::string> month = dates(Lay(year, ChartPeriod::kMonth));
  EXPECT_GE(month.size(), 5u);
  EXPECT_LE(month.size(), 15u);
  const Chart yearChart = Lay(year, ChartPeriod::kYear);
  const std::vector<std::string> months = dates(yearChart);
  EXPECT_GE(months.size(), 6u);
  EXPECT_TRUE(std::all_of(months.begin(), months.end(),
                          [](const std::string& m) { return m.ends_with("月"); }));
  EXPECT_EQ(months.back(), "12月");

  const std::vector<ChartStroke> price = Strokes(yearChart, Ink::kPrice);
  EXPECT_LE(price.size(), static_cast<size_t>(yearChart.plot.right - yearChart.plot.left));
  for (size_t i = 1; i < price.size(); ++i) EXPECT_EQ(price[i].from.x, price[i - 1].to.x);
}

TEST(PriceChart, WithoutAPriceInThePeriodOnlyTheMessageIsShown) {
  const std::vector<std::vector<service::PriceRecord>> cases = {
      {},
      {Priced(kNow - 8 * kDay, 9800)},  // before the week
      {Failed(kNow - kHour), NothingFound(kNow)},
      {Priced(kNow + kHour, 9800)},  // after now: a clock set back
  };
  for (const std::vector<service::PriceRecord>& rows : cases) {
    const Chart chart = Lay(rows, ChartPeriod::kWeek);
    ASSERT_EQ(chart.texts.size(), 1u);
    EXPECT_EQ(chart.texts[0].text, "nothing");
    EXPECT_EQ(chart.texts[0].format, DT_CENTER | DT_VCENTER);
    EXPECT_TRUE(Strokes(chart, Ink::kPrice).empty());
  }
  // A lone price, and no ceiling: a short dash, on a scale with room around it.
  const Chart lone = Lay({Priced(kNow, 9800)}, ChartPeriod::kWeek, 96, {489, 276}, std::nullopt);
  ASSERT_EQ(Strokes(lone, Ink::kPrice).size(), 1u);
  EXPECT_TRUE(Strokes(lone, Ink::kCeiling).empty());
  EXPECT_GE(Texts(lone, Ink::kLabel).size(), 3u);
}

TEST(PriceChart, TheLastRowInWords) {
  EXPECT_EQ(YenText(0), "0円");
  EXPECT_EQ(YenText(980), "980円");
  EXPECT_EQ(YenText(9800), "9,800円");
  EXPECT_EQ(YenText(1234567), "1,234,567円");
  EXPECT_EQ(DescribeRow(Priced(kNow, 9800)), "12/08 10:00 最安 9,800円 (該当 6件)");
  service::PriceRecord many = Priced(kNow, 1480);
  many.count = 12345;
  EXPECT_EQ(DescribeRow(many), "12/08 10:00 最安 1,480円 (該当 12,345件)");
  EXPECT_EQ(DescribeRow(NothingFound(kNow)), "12/08 10:00 該当なし");
  EXPECT_EQ(DescribeRow(Failed(kNow)), "12/08 10:00 確認できません (network error: timeout)");
}

}  // namespace
