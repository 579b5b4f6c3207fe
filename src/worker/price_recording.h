#pragma once

#include "service/check_outcome.h"
#include "state/watch_state.h"

namespace worker {

// Appends the price history's row for this hour: what the question for the keyword's cheapest
// match came to (asked), an answer or a failure, at the local time now. A row that cannot be
// written is lost, and the next hour's is tried all the same. Worker thread.
void RecordPrice(const SettingsSnapshot& settings, const service::CheckOutcome& asked);

}  // namespace worker
