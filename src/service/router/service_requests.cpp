#include "service/router/service_requests.h"

#include <string_view>
#include <utility>

#include "service/check_log.h"
#include "service/check_outcome.h"
#include "service/described/described_queries.h"
#include "service/ichiba/ichiba_item_search.h"
#include "state/watch_state.h"

bool KeywordIsEmpty(const SettingsSnapshot& settings) { return settings.scanKeyword.empty(); }

namespace service {
namespace {

CheckOutcome Named(std::string_view check, CheckOutcome outcome) {
  outcome.check = check;
  return outcome;
}

// Logs the outcome and hands it on.
CheckOutcome Reported(CheckOutcome outcome) {
  WriteCheckLog(outcome);
  return outcome;
}

}  // namespace

// Each call builds its request and receives its answer in strings of its own and holds no lock
// while it fetches: the worker's count query, stalled on a slow server, never keeps the hit list
// waiting. With an application id and an access key in [SERVICE], the questions go to the
// IchibaItem/Search service; the callers cannot tell.

CheckOutcome AskHitCount(const SettingsSnapshot& settings, const ServiceSettings& service) {
  if (KeywordIsEmpty(settings)) return Named(kCountCheck, Skipped(Skip::kNoKeyword));
  return Named(kCountCheck, service.Enabled()
                                ? IchibaHitCount(service, settings, DefaultServiceEndpoint())
                                : RwsHitCount(settings));
}

CheckOutcome AskCheapestPrice(const SettingsSnapshot& settings, const ServiceSettings& service) {
  if (KeywordIsEmpty(settings)) return Skipped(Skip::kNoKeyword);
  return IchibaCheapestPrice(service, settings, DefaultServiceEndpoint());
}

CheckOutcome AskSalesStatus(const SettingsSnapshot& settings, const ServiceSettings& service) {
  if (KeywordIsEmpty(settings)) return Named(kTimeSaleCheck, Skipped(Skip::kNoKeyword));
  return Named(kTimeSaleCheck, service.Enabled()
                                   ? IchibaSalesStatus(service, settings, DefaultServiceEndpoint())
                                   : MallPageSalesStatus(settings));
}

CheckOutcome CountCheck(const SettingsSnapshot& settings, const ServiceSettings& service) {
  return Reported(AskHitCount(settings, service));
}

CheckOutcome SalesCheck(const SettingsSnapshot& settings, const ServiceSettings& service) {
  return Reported(AskSalesStatus(settings, service));
}

CheckOutcome HitListCheck(const SettingsSnapshot& settings, const ServiceSettings& service) {
  watchState.hitListRows = 0;
  CheckOutcome done =
      Reported(Named(kHitListCheck, KeywordIsEmpty(settings) ? Skipped(Skip::kNoKeyword)
                                    : service.Enabled()
                                        ? IchibaHitList(service, settings, DefaultServiceEndpoint())
                                        : RwsHitList(settings)));
  if (Described(done, 0).result == 0) watchState.hitListRows = watchState.hitCount;
  return done;
}

DescribedResult Described(const CheckOutcome& outcome, int nothingRead) {
  int result = 0;
  switch (outcome.verdict) {
    case Verdict::kSkipped:
    case Verdict::kNotAsked:
      result = -2;
      break;
    case Verdict::kFailed:
      // A failure that still read an answer (a status other than Success, a search page
      // without its markers) comes back as 0 with what was read.
      result = outcome.found ? 0 : -1;
      break;
    case Verdict::kCounted:
    case Verdict::kListed:
    case Verdict::kSaleRead:
    case Verdict::kNothingBelowOneYen:
      break;
  }
  return {.result = result, .value = outcome.found.value_or(nothingRead)};
}

}  // namespace service

int QueryHitCount(int& count, const SettingsSnapshot& settings) {
  count = -1;
  const service::DescribedResult done =
      service::Described(service::CountCheck(settings, SnapshotService()), -1);
  count = done.value;
  return done.result;
}

int QueryHitList(const SettingsSnapshot& settings) {
  return service::Described(service::HitListCheck(settings, SnapshotService()), 0).result;
}

int QuerySalesStatus(int& state, const SettingsSnapshot& settings) {
  state = 0;
  const service::DescribedResult done =
      service::Described(service::SalesCheck(settings, SnapshotService()), 0);
  state = done.value;
  return done.result;
}
