#include "worker/check_now.h"

#include "res/texts.h"
#include "service/router/service_requests.h"
#include "worker/price_check.h"

namespace worker {

namespace {

// A setting the hourly cycle would refuse before asking anything; null when there is none.
const char* Refusal(const SettingsSnapshot& settings) {
  if (settings.scanKeyword.empty()) return texts::kNoKeyword;
  switch (CheckPriceText(settings.scanPrice)) {
    case PriceNegative:
      return texts::kPriceNegative;
    case PriceNotNumber:
      return texts::kPriceNotNumber;
    default:
      return nullptr;
  }
}

}  // namespace

service::CheckOutcome CheckNow(const SettingsSnapshot& settings, const ServiceSettings& service) {
  if (const char* refusal = Refusal(settings)) {
    return service::NotAsked(refusal);
  }
  return settings.scanTimesale != 0 ? service::AskSalesStatus(settings, service)
                                    : service::AskHitCount(settings, service);
}

}  // namespace worker
