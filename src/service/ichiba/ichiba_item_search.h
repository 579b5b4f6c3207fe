#pragma once

#include <optional>
#include <string>

#include "service/check_outcome.h"
#include "state/service_settings.h"
#include "state/watch_state.h"

namespace service {

// The three questions to the IchibaItem/Search service ([SERVICE]). defaultEndpoint is asked when
// the section names no ENDPOINT. Each waits for its turn (one request a second), asks the next
// known version when the one asked for is retired, and tells what it found as a CheckOutcome.
// The narrowing of [SERVICE] (a floor, words to leave out, postage included) applies to all three.

// The price ceiling as the service is asked it: none for no price (or a text that starts with no
// number, as the described request leaves it out too); 0 for a number below 1, which no item can
// match; else its whole yen, at most the service's highest.
std::optional<long> MaxPrice(const std::string& price);

// The count, and the cheapest match with it: result 0 with the count found (0: nothing found),
// or -1 with none.
CheckOutcome IchibaHitCount(const ServiceSettings& service, const SettingsSnapshot& search,
                            const std::string& defaultEndpoint);

// The keyword's cheapest match and the count, with the narrowing and without a ceiling: the price
// history's hourly question. Result 0 or -1, as the count's.
CheckOutcome IchibaCheapestPrice(const ServiceSettings& service, const SettingsSnapshot& search,
                                 const std::string& defaultEndpoint);

// The hit list, filling the hit table and hitCount: result 0 or -1. User-interface thread.
CheckOutcome IchibaHitList(const ServiceSettings& service, const SettingsSnapshot& search,
                           const std::string& defaultEndpoint);

// The time sale of the keyword's first hits, found as a state: 1 when a hit's sale runs now, -2
// when none does and one ended since the previous reading (within the hour before the first), 0
// otherwise; result 0, or -1 with none found.
CheckOutcome IchibaSalesStatus(const ServiceSettings& service, const SettingsSnapshot& search,
                               const std::string& defaultEndpoint);

}  // namespace service
