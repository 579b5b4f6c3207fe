#pragma once

#include "service/check_outcome.h"
#include "state/service_settings.h"
#include "state/watch_state.h"

namespace worker {

// The check the next watch cycle would make, made now with the [SERVICE] values given: settings
// the cycle would refuse (no keyword, a bad price) are refused here too, with the cycle's message
// and nothing asked; otherwise the count or the time sale is asked. Nothing is shown, logged,
// disarmed or saved. For kobanu --check and the service window's test; either thread.
service::CheckOutcome CheckNow(const SettingsSnapshot& settings, const ServiceSettings& service);

}  // namespace worker
