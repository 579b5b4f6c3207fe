#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/ui/win_types.h"
#include "service/price_record.h"

// The price history's chart as plain geometry: what to draw where, in the pixels of the control
// that shows it, so that it can be checked without a window.

enum class ChartPeriod { kWeek, kMonth, kYear };
int64_t PeriodMinutes(ChartPeriod period);

// What a piece of the chart is, which decides its color and width.
enum class Ink {
  kBackground,  // the whole control
  kFrame,       // round the control
  kGrid,        // a price step or a date
  kPrice,       // the cheapest price, hour by hour
  kCeiling,     // SCAN_PRICE
  kFailed,      // an hour whose question failed, marked along the bottom
  kLabel,       // the prices and dates along the axes
  kLegend,      // what the lines and marks are
  kMessage,     // nothing to show
};
COLORREF ColorOf(Ink ink);
int WidthOf(Ink ink, int dpi);  // in pixels: wider at higher resolutions, so that lines stay seen

struct ChartFill {
  RECT rect;
  Ink ink;
};
struct ChartStroke {
  POINT from;
  POINT to;
  Ink ink;
};
struct ChartText {
  RECT box;
  std::string text;  // UTF-8
  UINT format;       // as DrawText's
  Ink ink;
};

struct Chart {
  RECT plot{};  // the area of the prices, inside the axes
  std::vector<ChartFill> fills;
  std::vector<ChartStroke> strokes;
  std::vector<ChartText> texts;
};

struct ChartInput {
  std::span<const service::PriceRecord> rows;  // of one keyword, in any order
  int64_t now = 0;  // the local time, in minutes (service::MinutesOf): the right end
  ChartPeriod period = ChartPeriod::kWeek;
  std::optional<int64_t> ceiling;  // the price ceiling in yen, drawn as a line
  SIZE size{};                     // the control's pixels
  int dpi = 96;
  std::function<SIZE(const std::string&)> textSize;  // in the control's font
};

// The chart of the rows within the period before now: the prices on a scale of round steps (a
// label for each, "9,800円"), dates below ("12/08"; the months over a year), the price as a line
// that breaks where an hour brought no price, the failed hours as marks along the bottom, the
// ceiling as a dashed line, and a legend above. Labels that would overlap or leave the control are
// left out. Without a price in the period, the message instead.
Chart LayOutChart(const ChartInput& input, const std::string& message);

// Yen with separators: "9,800円".
std::string YenText(int64_t yen);

// The row (of the history, so with a valid time) in words: "12/08 10:00 最安 9,800円 (該当 6件)",
// "12/08 11:00 該当なし", "12/08 12:00 確認できません (network error: ...)".
std::string DescribeRow(const service::PriceRecord& row);
