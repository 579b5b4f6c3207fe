#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace service {

// The time sales of the IchibaItem/Search service: each item's startTime and endTime, empty when it
// has none.

// A time as the service writes it, in seconds since 1970 UTC: "YYYY-MM-DD HH:MM" (optionally
// ":SS") in Japan time, or the same with a 'T', a fraction of a second and "Z" or an offset
// ("+09:00", "+0900"). Nothing for an empty text or anything else.
std::optional<int64_t> ServiceTimeSeconds(std::string_view text);

struct SaleWindow {
  std::string start;
  std::string end;
};

// What the windows say at the moment now: 1 when one of them holds it (start <= now < end); -2
// when none does and one ended after `since` and by now; 0 otherwise. Windows whose times cannot
// be read count for nothing.
int SaleVerdict(const std::vector<SaleWindow>& windows, int64_t now, int64_t since);

}  // namespace service
