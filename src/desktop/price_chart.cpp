#include "desktop/price_chart.h"

#include <algorithm>
#include <cstdio>

#include "res/history_texts.h"

namespace {

constexpr int64_t kDay = 24 * 60;
constexpr int64_t kHour = 60;

// Pixels at 96 DPI, at the screen's resolution.
int Scaled(int pixels, int dpi) { return (pixels * dpi + 48) / 96; }

// "12/08" of a time "2026-12-08 10:00".
std::string DateText(const std::string& time) {
  return time.substr(5, 2) + "/" + time.substr(8, 2);
}

std::string Grouped(int64_t number) {
  std::string digits = std::to_string(number);
  for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) {
    digits.insert(static_cast<size_t>(at), ",");
  }
  return digits;
}

// A round step for the price axis: 1, 2 or 5 times a power of ten, at least raw.
int64_t RoundStep(int64_t raw) {
  for (int64_t power = 1;; power *= 10) {
    for (const int64_t factor : {1, 2, 5}) {
      if (factor * power >= raw) return factor * power;
    }
  }
}

struct PriceScale {
  int64_t low;
  int64_t high;
  int64_t step;
};

// At most maxSteps steps from a round low to a round high around the prices, with room above and
// below them, so that neither the lowest price nor the ceiling lies on the axis; a flat price gets
// room around it, so that its steps are not single yen.
PriceScale ScaleFor(int64_t lowest, int64_t highest, int maxSteps) {
  const int64_t least = std::max<int64_t>(10, highest / 10);
  if (highest - lowest < least) {
    const int64_t middle = (lowest + highest) / 2;
    lowest = std::max<int64_t>(0, middle - least / 2);
    highest = lowest + least;
  }
  const int64_t steps = std::max(maxSteps - 2, 1);
  const int64_t step = RoundStep((highest - lowest + steps - 1) / steps);
  int64_t low = lowest / step * step;
  if (low == lowest && low >= step) low -= step;
  int64_t high = (highest + step - 1) / step * step;
  if (high == highest) high += step;
  return {low, high, step};
}

// The boundaries along the time axis that get a date: days, every `days` of them (Mondays when
// weekly), or over a year the first of every month.
std::vector<int64_t> DateBoundaries(int64_t start, int64_t end, int64_t days, bool months) {
  std::vector<int64_t> boundaries;
  if (months) {
    const std::string first = service::TimeOfMinutes(start);
    int year = std::stoi(first.substr(0, 4));
    int month = std::stoi(first.substr(5, 2));
    for (;;) {
      month = month % 12 + 1;
      year += month == 1 ? 1 : 0;
      char text[24];
      std::snprintf(text, sizeof text, "%04d-%02d-01 00:00", year % 10000, month);
      const int64_t at = service::MinutesOf(text).value_or(end);
      if (at >= end) return boundaries;
      boundaries.push_back(at);
    }
  }
  for (int64_t day = start / kDay + 1; day * kDay < end; ++day) {
    // 1970-01-01 was a Thursday: day + 3 is a multiple of 7 on Mondays.
    if ((days == 7 ? day + 3 : day) % days == 0) boundaries.push_back(day * kDay);
  }
  return boundaries;
}

class Layout {
 public:
  Layout(const ChartInput& input, Chart& chart) : in_(input), chart_(chart) {}

  bool Place(const std::vector<const service::PriceRecord*>& priced) {
    const int pad = Scaled(8, in_.dpi);
    textHeight_ = in_.textSize("0").cy;
    RECT& plot = chart_.plot;
    plot.top = pad + textHeight_ + Scaled(8, in_.dpi);  // below the legend
    plot.bottom = in_.size.cy - pad - textHeight_ - Scaled(4, in_.dpi);
    if (priced.empty() || plot.bottom - plot.top < 2 * textHeight_) return false;

    int64_t lowest = in_.ceiling.value_or(priced.front()->price.value());
    int64_t highest = lowest;
    for (const service::PriceRecord* row : priced) {
      lowest = std::min(lowest, *row->price);
      highest = std::max(highest, *row->price);
    }
    scale_ = ScaleFor(lowest, highest, (plot.bottom - plot.top) / (2 * textHeight_));
    int widest = 0;
    for (int64_t yen = scale_.low; yen <= scale_.high; yen += scale_.step) {
      widest = std::max(widest, in_.textSize(YenText(yen)).cx);
    }
    plot.left = pad + widest + Scaled(6, in_.dpi);
    plot.right = in_.size.cx - pad;
    start_ = in_.now - PeriodMinutes(in_.period);
    return plot.right - plot.left > 2 * widest;
  }

  int X(int64_t minutes) const {
    const RECT& plot = chart_.plot;
    return plot.left + static_cast<int>((minutes - start_) * (plot.right - plot.left) /
                                        PeriodMinutes(in_.period));
  }
  int Y(int64_t yen) const {
    const RECT& plot = chart_.plot;
    return plot.bottom - static_cast<int>((yen - scale_.low) * (plot.bottom - plot.top) /
                                          (scale_.high - scale_.low));
  }

  void PriceAxis() {
    const RECT& plot = chart_.plot;
    for (int64_t yen = scale_.low; yen <= scale_.high; yen += scale_.step) {
      const int y = Y(yen);
      if (yen != scale_.low) Stroke({plot.left, y}, {plot.right, y}, Ink::kGrid);
      const RECT box{0, y - textHeight_, plot.left - Scaled(6, in_.dpi), y + textHeight_};
      Text(box, YenText(yen), DT_RIGHT | DT_VCENTER);
    }
  }

  void DateAxis() {
    const RECT& plot = chart_.plot;
    const bool months = in_.period == ChartPeriod::kYear;
    const int gap = Scaled(8, in_.dpi);
    int64_t days = 1;
    if (!months) {
      const int labelWidth = in_.textSize("00/00").cx + gap;
      for (const int64_t every : {1, 2, 3, 5, 7, 10, 15}) {
        days = every;
        if (X(start_ + every * kDay) - X(start_) >= labelWidth) break;
      }
    }
    // Right of the axis, clear of the lowest price's label.
    int lastRight = plot.left - gap / 2;
    for (const int64_t at : DateBoundaries(start_, in_.now, days, months)) {
      const int x = X(at);
      Stroke({x, plot.top}, {x, plot.bottom}, Ink::kGrid);
      const std::string label =
          months
              ? std::to_string(std::stoi(service::TimeOfMinutes(at).substr(5, 2))) + texts::kMonth
              : DateText(service::TimeOfMinutes(at));
      const int half = in_.textSize(label).cx / 2 + 1;
      const RECT box{x - half, plot.bottom + Scaled(3, in_.dpi), x + half,
                     plot.bottom + Scaled(3, in_.dpi) + textHeight_};
      if (box.left < 0 || box.right > in_.size.cx || box.left < lastRight + gap / 2) continue;
      Text(box, label, DT_CENTER | DT_TOP);
      lastRight = box.right;
    }
  }

  // Each failed hour as a mark along the bottom, as wide as the hour and at least a pixel;
  // touching marks as one.
  void FailedHours(const std::vector<const service::PriceRecord*>& failed) {
    const RECT& plot = chart_.plot;
    const int top = plot.bottom - Scaled(6, in_.dpi);
    RECT* last = nullptr;
    for (const service::PriceRecord* row : failed) {
      const int64_t at = *service::MinutesOf(row->time);
      const int left = std::max<int>(plot.left, X(at));
      const int right = std::min<int>(plot.right, std::max(left + 1, X(at + kHour)));
      if (last != nullptr && left <= last->right) {
        last->right = std::max<int>(last->right, right);
        continue;
      }
      chart_.fills.push_back({{left, top, right, plot.bottom}, Ink::kFailed});
      last = &chart_.fills.back().rect;
    }
  }

  void Ceiling() {
    if (!in_.ceiling) return;
    const RECT& plot = chart_.plot;
    const int y = Y(*in_.ceiling);
    const int dash = Scaled(6, in_.dpi), gap = Scaled(4, in_.dpi);
    for (int x = plot.left; x < plot.right; x += dash + gap) {
      Stroke({x, y}, {std::min<int>(x + dash, plot.right), y}, Ink::kCeiling);
    }
  }

  // Above the plot at its right: a sample of each kind of line or mark shown, and what it is.
  // What does not fit is left out, the failed hours first.
  void Legend(bool anyFailed) {
    struct Entry {
      Ink ink;
      std::string text;
    };
    std::vector<Entry> entries = {{Ink::kPrice, texts::kCheapestPrice}};
    if (in_.ceiling) {
      entries.push_back(
          {Ink::kCeiling, std::string(texts::kCeiling) + " " + YenText(*in_.ceiling)});
    }
    if (anyFailed) entries.push_back({Ink::kFailed, texts::kFailedHours});
    const int sample = Scaled(16, in_.dpi), beside = Scaled(4, in_.dpi),
              apart = Scaled(14, in_.dpi);
    const RECT& plot = chart_.plot;
    const auto width = [&](const std::vector<Entry>& shown) {
      int total = 0;
      for (const Entry& e : shown) total += sample + beside + in_.textSize(e.text).cx + apart;
      return total - apart;
    };
    while (!entries.empty() && width(entries) > plot.right - plot.left) entries.pop_back();
    const int top = Scaled(8, in_.dpi);
    const int middle = top + textHeight_ / 2;
    int x = plot.right - width(entries);
    for (const Entry& e : entries) {
      if (e.ink == Ink::kFailed) {
        const int mark = Scaled(6, in_.dpi);
        chart_.fills.push_back(
            {{x + sample - mark, middle - mark / 2, x + sample, middle + mark - mark / 2}, e.ink});
      } else {
        Stroke({x, middle}, {x + sample, middle}, e.ink);
      }
      x += sample + beside;
      const int textWidth = in_.textSize(e.text).cx;
      chart_.texts.push_back(
          {{x, top, x + textWidth, top + textHeight_}, e.text, DT_LEFT | DT_TOP, Ink::kLegend});
      x += textWidth + apart;
    }
  }

  // The cheapest price of each pixel's column, joined while the hours follow on; a point alone as
  // a short dash.
  void PriceLine(const std::vector<const service::PriceRecord*>& priced) {
    const int64_t span = PeriodMinutes(in_.period);
    const int64_t perPixel = span / std::max<int64_t>(1, chart_.plot.right - chart_.plot.left);
    const int64_t longestStep = std::max<int64_t>(90, 2 * perPixel);
    struct Point {
      int x;
      int64_t yen;
      int64_t at;
    };
    std::vector<Point> points;
    for (const service::PriceRecord* row : priced) {
      const Point point{X(*service::MinutesOf(row->time)), *row->price,
                        *service::MinutesOf(row->time)};
      if (!points.empty() && points.back().x == point.x) {
        points.back().yen = std::min(points.back().yen, point.yen);
        points.back().at = point.at;
        continue;
      }
      points.push_back(point);
    }
    for (size_t i = 0; i < points.size(); ++i) {
      const POINT here{points[i].x, Y(points[i].yen)};
      const bool joinedBefore = i > 0 && points[i].at - points[i - 1].at <= longestStep;
      const bool joinedAfter =
          i + 1 < points.size() && points[i + 1].at - points[i].at <= longestStep;
      if (joinedAfter) Stroke(here, {points[i + 1].x, Y(points[i + 1].yen)}, Ink::kPrice);
      if (!joinedBefore && !joinedAfter) {
        Stroke({here.x - Scaled(2, in_.dpi), here.y}, {here.x + Scaled(2, in_.dpi), here.y},
               Ink::kPrice);
      }
    }
  }

  void Axes() {
    const RECT& plot = chart_.plot;
    Stroke({plot.left, plot.top}, {plot.left, plot.bottom}, Ink::kFrame);
    Stroke({plot.left, plot.bottom}, {plot.right, plot.bottom}, Ink::kFrame);
  }

 private:
  void Stroke(POINT from, POINT to, Ink ink) { chart_.strokes.push_back({from, to, ink}); }
  void Text(RECT box, std::string text, UINT format) {
    chart_.texts.push_back({box, std::move(text), format, Ink::kLabel});
  }

  const ChartInput& in_;
  Chart& chart_;
  int textHeight_ = 0;
  int64_t start_ = 0;
  PriceScale scale_{0, 1, 1};
};

}  // namespace

int64_t PeriodMinutes(ChartPeriod period) {
  switch (period) {
    case ChartPeriod::kWeek:
      return 7 * kDay;
    case ChartPeriod::kMonth:
      return 30 * kDay;
    case ChartPeriod::kYear:
      return 365 * kDay;
  }
  return 7 * kDay;
}

COLORREF ColorOf(Ink ink) {
  switch (ink) {
    case Ink::kBackground:
      return RGB(255, 255, 255);
    case Ink::kFrame:
      return RGB(150, 150, 150);
    case Ink::kGrid:
      return RGB(226, 226, 226);
    case Ink::kPrice:
      return RGB(0, 92, 196);
    case Ink::kCeiling:
      return RGB(214, 72, 0);
    case Ink::kFailed:
      return RGB(226, 48, 48);
    case Ink::kLabel:
    case Ink::kLegend:
      return RGB(60, 60, 60);
    case Ink::kMessage:
      return RGB(110, 110, 110);
  }
  return RGB(0, 0, 0);
}

int WidthOf(Ink ink, int dpi) { return Scaled(ink == Ink::kPrice ? 2 : 1, dpi); }

Chart LayOutChart(const ChartInput& input, const std::string& message) {
  Chart chart;
  const RECT whole{0, 0, input.size.cx, input.size.cy};
  chart.fills.push_back({whole, Ink::kBackground});
  chart.strokes.push_back({{0, 0}, {whole.right - 1, 0}, Ink::kFrame});
  chart.strokes.push_back({{whole.right - 1, 0}, {whole.right - 1, whole.bottom - 1}, Ink::kFrame});
  chart.strokes.push_back(
      {{whole.right - 1, whole.bottom - 1}, {0, whole.bottom - 1}, Ink::kFrame});
  chart.strokes.push_back({{0, whole.bottom - 1}, {0, 0}, Ink::kFrame});

  std::vector<const service::PriceRecord*> rows;
  const int64_t start = input.now - PeriodMinutes(input.period);
  for (const service::PriceRecord& row : input.rows) {
    const std::optional<int64_t> at = service::MinutesOf(row.time);
    if (at && *at > start && *at <= input.now) rows.push_back(&row);
  }
  std::stable_sort(rows.begin(), rows.end(),
                   [](const service::PriceRecord* a, const service::PriceRecord* b) {
                     return *service::MinutesOf(a->time) < *service::MinutesOf(b->time);
                   });
  std::vector<const service::PriceRecord*> priced, failed;
  for (const service::PriceRecord* row : rows) {
    if (row->price) priced.push_back(row);
    if (!row->count) failed.push_back(row);
  }

  Layout layout(input, chart);
  if (!layout.Place(priced)) {
    chart.plot = whole;
    chart.texts.push_back({whole, message, DT_CENTER | DT_VCENTER, Ink::kMessage});
    return chart;
  }
  layout.FailedHours(failed);
  layout.PriceAxis();
  layout.DateAxis();
  layout.Axes();
  layout.Ceiling();
  layout.PriceLine(priced);
  layout.Legend(!failed.empty());
  return chart;
}

std::string YenText(int64_t yen) { return Grouped(yen) + texts::kYen; }

std::string DescribeRow(const service::PriceRecord& row) {
  const std::string when = DateText(row.time) + " " + row.time.substr(11, 5) + " ";
  if (!row.count) {
    return when + texts::kNotChecked + (row.outcome.empty() ? "" : " (" + row.outcome + ")");
  }
  const std::string matches =
      std::string(texts::kMatches) + " " + Grouped(*row.count) + texts::kMatchesUnit;
  if (row.price) return when + texts::kCheapest + " " + YenText(*row.price) + " (" + matches + ")";
  return when + (*row.count == 0 ? texts::kNoMatch : matches);
}
