#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "service/price_record.h"

namespace service {

// The price history, "kobanu-history.csv" beside setting.ini (where the last load or save of the
// settings found it): one row per hourly question for the keyword's cheapest match, in UTF-8
// with a byte order mark (for spreadsheets on Japanese Windows) and a header line.

inline constexpr std::string_view kPriceHistoryName = "kobanu-history.csv";

// Rows older than this before the newest are dropped: two years.
inline constexpr int64_t kPriceHistoryMinutes = 730 * 24 * 60;
// The most rows a reader keeps: two years of hours, and room for rows added by hand.
inline constexpr size_t kMaxPriceRows = 18000;
// The most of the file a reader reads, from its end: two years of the longest rows fit.
inline constexpr uint64_t kMaxPriceHistoryBytes = 32u << 20;

// The history's path; empty when no folder of setting.ini is known.
std::string PriceHistoryPath();

// Appends one hour's row, whole or not at all: a kill or a full disk never leaves half a row. A
// new file is readable by its owner alone and begins with the byte order mark and the header.
// Once the oldest row lies more than two years before this one, the rows more than two years less
// a day before it are dropped in one atomic replacement of the file: so at most once a day. False
// when the row could not be written (no folder known, a file that cannot be written).
bool AppendPriceRecord(const PriceRecord& record);

// The history's rows, as ReadPriceRows reads them from at most the file's last
// kMaxPriceHistoryBytes; none when there is no file to read.
std::optional<std::vector<PriceRecord>> ReadPriceHistory();

}  // namespace service
