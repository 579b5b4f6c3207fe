#pragma once

#include <string>

#include "state/service_settings.h"
#include "state/watch_state.h"

// The outcome of a 200 answer that is not one of the item search.
inline constexpr char kUnreadableAnswer[] = "service error 200: not an answer of the item search";

// What one query came to: its result for the caller, and its outcome and URL for the check log.
struct QueryOutcome {
  int result = 0;
  std::string outcome;
  std::string url;
};

// The request to today's service; empty when the endpoint is not an http or https address
// without a query of its own.
std::string CurrentSearchUrl(const ServiceSettings& service, const SettingsSnapshot& search,
                             bool hitList);

// The count query against today's service: result 0 with count (0: nothing found) or -1 with
// count -1.
QueryOutcome CurrentHitCount(const ServiceSettings& service, const SettingsSnapshot& search,
                             int& count);

// The hit-list query against today's service, filling the hit table and hitCount: result 0 or
// -1. User-interface thread.
QueryOutcome CurrentHitList(const ServiceSettings& service, const SettingsSnapshot& search);
