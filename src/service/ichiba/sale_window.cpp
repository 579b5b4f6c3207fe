#include "service/ichiba/sale_window.h"

#include "service/calendar.h"

namespace service {

namespace {

constexpr int64_t kJapanOffset = 9 * 3600;  // no daylight saving time

// Reads `digits` decimal digits at text[at], moving at past them.
std::optional<int> Number(std::string_view text, size_t& at, size_t digits) {
  if (at + digits > text.size()) return std::nullopt;
  int value = 0;
  for (size_t i = 0; i < digits; ++i) {
    const char c = text[at + i];
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
  }
  at += digits;
  return value;
}

bool Skip(std::string_view text, size_t& at, char c) {
  if (at >= text.size() || text[at] != c) return false;
  ++at;
  return true;
}

// The offset from UTC at text[at], to its end: none (Japan time), "Z", "+HH:MM" or "+HHMM".
std::optional<int64_t> Offset(std::string_view text, size_t at) {
  if (at == text.size()) return kJapanOffset;
  if (text.substr(at) == "Z") return 0;
  const char sign = text[at++];
  if (sign != '+' && sign != '-') return std::nullopt;
  const auto hours = Number(text, at, 2);
  Skip(text, at, ':');
  const auto minutes = Number(text, at, 2);
  if (!hours || !minutes || at != text.size() || *hours > 23 || *minutes > 59) return std::nullopt;
  const int64_t offset = *hours * 3600 + *minutes * 60;
  return sign == '+' ? offset : -offset;
}

}  // namespace

std::optional<int64_t> ServiceTimeSeconds(std::string_view text) {
  size_t at = 0;
  const auto year = Number(text, at, 4);
  if (!year || !Skip(text, at, '-')) return std::nullopt;
  const auto month = Number(text, at, 2);
  if (!month || !Skip(text, at, '-')) return std::nullopt;
  const auto day = Number(text, at, 2);
  if (!day || !(Skip(text, at, ' ') || Skip(text, at, 'T'))) return std::nullopt;
  const auto hour = Number(text, at, 2);
  if (!hour || !Skip(text, at, ':')) return std::nullopt;
  const auto minute = Number(text, at, 2);
  std::optional<int> second = 0;
  if (Skip(text, at, ':')) second = Number(text, at, 2);
  if (!minute || !second) return std::nullopt;
  if (Skip(text, at, '.')) {
    while (at < text.size() && text[at] >= '0' && text[at] <= '9') ++at;
  }
  const auto offset = Offset(text, at);
  if (!offset || *month < 1 || *month > 12 || *day < 1 || *day > 31 || *hour > 23 || *minute > 59 ||
      *second > 60) {
    return std::nullopt;
  }
  const int64_t local =
      DaysFromCivil(*year, *month, *day) * 86400 + *hour * 3600 + *minute * 60 + *second;
  return local - *offset;
}

int SaleVerdict(const std::vector<SaleWindow>& windows, int64_t now, int64_t since) {
  bool ended = false;
  for (const SaleWindow& window : windows) {
    const auto start = ServiceTimeSeconds(window.start);
    const auto end = ServiceTimeSeconds(window.end);
    if (!start || !end) continue;
    if (*start <= now && now < *end) return 1;
    if (since < *end && *end <= now) ended = true;
  }
  return ended ? -2 : 0;
}

}  // namespace service
