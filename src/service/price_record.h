#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace service {

// One hour's row of the price history: what the question for the keyword's cheapest match came
// to. Texts are UTF-8, as the file holds them.
struct PriceRecord {
  std::string time{};  // local time of the question, "YYYY-MM-DD HH:MM"
  std::string keyword{};
  std::optional<int64_t> count{};  // how many items matched; none when the question failed
  std::optional<int64_t> price{};  // the cheapest match's price in yen; none without a match
  std::string name{};              // the cheapest match's name, as the service gave it
  std::string address{};           // the cheapest match's page
  std::string outcome{};           // as the check log words it: "count 6", "network error: ..."

  bool operator==(const PriceRecord&) const = default;
};

// The file's start: a byte order mark, so that spreadsheets read it as UTF-8, and the header.
inline constexpr std::string_view kUtf8ByteOrderMark = "\xEF\xBB\xBF";
inline constexpr std::string_view kPriceHistoryHeader =
    "日時,キーワード,該当件数,最安値(円),商品名,商品URL,結果";

// The most bytes a text field keeps: enough for any real keyword, item name (the mall allows 255
// bytes of code page 932), address or outcome; a longer one is cut between characters.
inline constexpr size_t kMaxPriceFieldBytes = 1024;

// The record as one line of CSV (RFC 4180), ended by lineEnd. Texts become one line of visible
// UTF-8 (VisibleText: controls as escapes), cut at kMaxPriceFieldBytes; a field with a comma or a
// quote is quoted; one that a spreadsheet would take for a formula (=, +, -, @ first) gets an
// apostrophe before it, which the reader takes off again.
std::string PriceRow(const PriceRecord& record, std::string_view lineEnd = "\r\n");

// The rows of the history's text, in the file's order: whatever the file holds (a byte order mark
// or none, CR LF or LF, quoted line breaks, rows edited by hand), every line of seven fields with a
// valid time becomes a record, texts as PriceRow would write them; anything else (the header, half
// a row, a number that is no whole number of yen) is passed over. At most maxRows records are kept,
// the last ones.
std::vector<PriceRecord> ReadPriceRows(std::string_view text, size_t maxRows);

// Minutes since 1970-01-01 00:00 of a local time "YYYY-MM-DD HH:MM", counted as the calendar
// counts (Japan keeps no summer time); none when the text is no such time.
std::optional<int64_t> MinutesOf(std::string_view time);
// The local time of those minutes as "YYYY-MM-DD HH:MM".
std::string TimeOfMinutes(int64_t minutes);

}  // namespace service
