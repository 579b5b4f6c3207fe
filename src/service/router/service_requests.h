#pragma once

#include <string>

#include "service/check_outcome.h"
#include "state/service_settings.h"
#include "state/watch_state.h"

// Each operation works with one snapshot of the settings from start to end: the caller's (the
// watch cycle's), or one it takes when it starts.

// True when the keyword is the empty text (a keyword of blanks is not empty).
bool KeywordIsEmpty(const SettingsSnapshot& settings);

// The described queries, with [SERVICE] as last loaded.
// How many items match the settings. count is -1 unless a count was read. 0, -1 (fetch or
// reading failed) or -2 (empty keyword, nothing sent). Worker thread.
int QueryHitCount(int& count, const SettingsSnapshot& settings = SnapshotSettings());

// Runs the item search with the affiliate id and fills the hit table; sets hitListRows.
// 0, -1 or -2 as above. User-interface thread, after ClearHitTable.
int QueryHitList(const SettingsSnapshot& settings = SnapshotSettings());

// Reads the time-sale badge of the mall's search page for the keyword. state is 0 unless a page
// was read: 1 sale running, 0 other badge, -1 no marker, -2 sale ended. 0, -1 or -2 as above.
int QuerySalesStatus(int& state, const SettingsSnapshot& settings = SnapshotSettings());

namespace service {

// The three checks: each asks with the [SERVICE] values given (the IchibaItem/Search service
// when they enable it), writes its line in the check log and returns what it came to.
// How many items match the settings. Worker thread.
CheckOutcome CountCheck(const SettingsSnapshot& settings, const ServiceSettings& service);
// The time sale for the keyword. Worker thread.
CheckOutcome SalesCheck(const SettingsSnapshot& settings, const ServiceSettings& service);
// The hit list: fills the hit table and sets hitListRows. User-interface thread, after
// ClearHitTable.
CheckOutcome HitListCheck(const SettingsSnapshot& settings, const ServiceSettings& service);

// The described small integers of an outcome: the query's result (0, -1 or -2) and the value it
// read (the count, the time-sale state or the rows), nothingRead when it read none.
struct DescribedResult {
  int result;
  int value;
};
DescribedResult Described(const CheckOutcome& outcome, int nothingRead);

// What CountCheck and SalesCheck ask, told as it came out (the count or the state as found) and
// written nowhere: one check now, for the command line and the service window.
CheckOutcome AskHitCount(const SettingsSnapshot& settings, const ServiceSettings& service);
CheckOutcome AskSalesStatus(const SettingsSnapshot& settings, const ServiceSettings& service);

// The price history's question, with [SERVICE] on: the keyword's cheapest match and the count,
// with the section's narrowing and without the ceiling; written nowhere. Worker thread.
CheckOutcome AskCheapestPrice(const SettingsSnapshot& settings, const ServiceSettings& service);

}  // namespace service
