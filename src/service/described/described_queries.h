#pragma once

#include <string>

#include "service/check_outcome.h"
#include "state/watch_state.h"

namespace service {

// The described interface's questions: the item search's count and hit list (XML) and the mall's
// search page for the time sale's badge, told as CheckOutcomes and written nowhere.

// How many items match the settings; the count, or -1 for none, as found.
CheckOutcome RwsHitCount(const SettingsSnapshot& settings);
// The hit list with the affiliate id, filling the hit table and hitCount. User-interface thread.
CheckOutcome RwsHitList(const SettingsSnapshot& settings);
// The search page's time-sale badge; the state as found.
CheckOutcome MallPageSalesStatus(const SettingsSnapshot& settings);

// The IchibaItem/Search service's address for a [SERVICE] without ENDPOINT.
std::string DefaultServiceEndpoint();

// The hosts of the two described services ("host" or "host:port"), and the IchibaItem/Search
// service's address for a [SERVICE] without ENDPOINT (when empty: on the item-search host, over
// http).
struct ServiceHosts {
  std::string itemSearch;
  std::string mallSearch;
  std::string serviceEndpoint = {};
};

// Points the services at other hosts, for tests; the hosts of the build stay in force until then.
// Returns the hosts it replaces.
ServiceHosts SetServiceHostsForTesting(const ServiceHosts& hosts);

}  // namespace service
