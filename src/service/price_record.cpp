#include "service/price_record.h"

#include <array>
#include <cstdio>

#include "base/visible_text.h"
#include "service/calendar.h"

namespace service {

namespace {

constexpr size_t kFields = 7;
constexpr size_t kMaxDigits = 15;  // far beyond any price or count, and within int64_t

// What a spreadsheet takes for the start of a formula.
constexpr std::string_view kFormulaStarts = "=+-@";

// Whether the text, after any apostrophes, starts a formula: such a text gets one more apostrophe
// in the file, and loses one when read, so that every text comes back as it was written.
bool LooksLikeFormula(std::string_view text) {
  const size_t first = text.find_first_not_of('\'');
  return first != std::string_view::npos && kFormulaStarts.find(text[first]) != std::string::npos;
}

std::string CsvText(std::string_view text) {
  std::string field = VisibleText(text, kMaxPriceFieldBytes);
  if (LooksLikeFormula(field)) field.insert(0, 1, '\'');
  if (field.find_first_of(",\"") == std::string::npos) return field;
  std::string quoted = "\"";
  for (const char c : field)
    quoted += c == '"' ? std::string_view("\"\"") : std::string_view(&c, 1);
  return quoted + "\"";
}

std::string CsvNumber(const std::optional<int64_t>& number) {
  return number ? std::to_string(*number) : std::string();
}

std::string TextOf(std::string_view field) {
  if (field.starts_with('\'') && LooksLikeFormula(field)) field.remove_prefix(1);
  return VisibleText(field, kMaxPriceFieldBytes);
}

// A field's whole number, or none for an empty field; false for anything else.
bool NumberOf(std::string_view field, std::optional<int64_t>& number) {
  number.reset();
  if (field.empty()) return true;
  if (field.size() > kMaxDigits) return false;
  int64_t value = 0;
  for (const char c : field) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
  }
  number = value;
  return true;
}

std::optional<PriceRecord> RecordOf(const std::array<std::string, kFields>& fields) {
  PriceRecord record;
  if (!MinutesOf(fields[0]) || !NumberOf(fields[2], record.count) ||
      !NumberOf(fields[3], record.price)) {
    return std::nullopt;
  }
  record.time = fields[0];
  record.keyword = TextOf(fields[1]);
  record.name = TextOf(fields[4]);
  record.address = TextOf(fields[5]);
  record.outcome = TextOf(fields[6]);
  return record;
}

// Reads the file's text one line of fields at a time, in one pass. Each field keeps at most a
// little more than a text field may hold (the rest of it is passed over), and a line keeps only its
// first fields, so that no line, however long, costs more.
class CsvLines {
 public:
  explicit CsvLines(std::string_view text) : text_(text) {}

  bool AtEnd() const { return at_ >= text_.size(); }

  // The next line's first fields; how many fields it had in all.
  size_t Next(std::array<std::string, kFields>& fields) {
    for (std::string& field : fields) field.clear();
    size_t count = 0;
    for (;;) {
      std::string* field = count < kFields ? &fields[count] : nullptr;
      ++count;
      if (Peek('"')) ReadQuoted(field);
      const size_t end = std::min(text_.find_first_of(",\r\n", at_), text_.size());
      Keep(field, text_.substr(at_, end - at_));
      at_ = end;
      if (Peek(',')) {
        ++at_;
        continue;
      }
      if (Peek('\r')) ++at_;
      if (Peek('\n')) ++at_;
      return count;
    }
  }

 private:
  bool Peek(char c) const { return at_ < text_.size() && text_[at_] == c; }

  // A quoted part: up to its closing quote, a doubled quote standing for one.
  void ReadQuoted(std::string* field) {
    ++at_;
    for (;;) {
      const size_t quote = std::min(text_.find('"', at_), text_.size());
      Keep(field, text_.substr(at_, quote - at_));
      at_ = std::min(quote + 1, text_.size());
      if (!Peek('"')) return;
      Keep(field, "\"");
      ++at_;
    }
  }

  static void Keep(std::string* field, std::string_view piece) {
    constexpr size_t kKept = 2 * kMaxPriceFieldBytes;  // room for apostrophes and stray bytes
    if (field == nullptr || field->size() >= kKept) return;
    field->append(piece.substr(0, kKept - field->size()));
  }

  std::string_view text_;
  size_t at_ = 0;
};

bool IsLeapYear(int64_t year) { return year % 4 == 0 && (year % 100 != 0 || year % 400 == 0); }

int64_t DaysInMonth(int64_t year, int64_t month) {
  constexpr std::array<int64_t, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[static_cast<size_t>(month - 1)];
}

}  // namespace

std::string PriceRow(const PriceRecord& record, std::string_view lineEnd) {
  std::string row = CsvText(record.time);
  for (const std::string& field :
       {CsvText(record.keyword), CsvNumber(record.count), CsvNumber(record.price),
        CsvText(record.name), CsvText(record.address), CsvText(record.outcome)}) {
    row += ',' + field;
  }
  return row + std::string(lineEnd);
}

std::vector<PriceRecord> ReadPriceRows(std::string_view text, size_t maxRows) {
  if (text.starts_with(kUtf8ByteOrderMark)) text.remove_prefix(kUtf8ByteOrderMark.size());
  std::vector<PriceRecord> rows;
  std::array<std::string, kFields> fields;
  CsvLines lines(text);
  while (!lines.AtEnd()) {
    if (lines.Next(fields) != kFields) continue;
    std::optional<PriceRecord> record = RecordOf(fields);
    if (!record) continue;
    rows.push_back(std::move(*record));
    // Only the last rows are kept; the first ones go a batch at a time.
    if (rows.size() >= maxRows + maxRows / 8 + 1) {
      rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(maxRows));
    }
  }
  if (rows.size() > maxRows) {
    rows.erase(rows.begin(), rows.end() - static_cast<std::ptrdiff_t>(maxRows));
  }
  return rows;
}

std::optional<int64_t> MinutesOf(std::string_view time) {
  constexpr std::string_view kShape = "dddd-dd-dd dd:dd";
  if (time.size() != kShape.size()) return std::nullopt;
  for (size_t i = 0; i < kShape.size(); ++i) {
    const bool digit = time[i] >= '0' && time[i] <= '9';
    if (kShape[i] == 'd' ? !digit : time[i] != kShape[i]) return std::nullopt;
  }
  const auto number = [&](size_t at, size_t length) {
    int64_t value = 0;
    for (size_t i = at; i < at + length; ++i) value = value * 10 + (time[i] - '0');
    return value;
  };
  const int64_t year = number(0, 4), month = number(5, 2), day = number(8, 2);
  const int64_t hour = number(11, 2), minute = number(14, 2);
  if (month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
      minute > 59) {
    return std::nullopt;
  }
  return (DaysFromCivil(year, month, day) * 24 + hour) * 60 + minute;
}

std::string TimeOfMinutes(int64_t minutes) {
  const int64_t days = (minutes >= 0 ? minutes : minutes - 1439) / 1440;
  const int64_t inDay = minutes - days * 1440;
  const CivilDate date = CivilFromDays(days);
  char text[96];  // room for any year the arithmetic can give
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld",
                static_cast<long long>(date.year), static_cast<long long>(date.month),
                static_cast<long long>(date.day), static_cast<long long>(inDay / 60),
                static_cast<long long>(inDay % 60));
  return text;
}

}  // namespace service
