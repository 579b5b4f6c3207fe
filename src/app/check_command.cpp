#include "app/check_command.h"

#include <cstdio>
#include <string>

#include "res/texts.h"
#include "service/check_log.h"
#include "service/service_requests.h"
#include "settings/settings_file.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"
#include "worker/watch_worker.h"

namespace {

// A setting the hourly cycle would refuse before asking anything; nothing when there is none.
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

void PrintLine(const char* label, const std::string& text) {
  std::printf("%-9s%s\n", label, text.c_str());
}

}  // namespace

int RunCheckCommand() {
  DecideSettingsPath();
  LoadSettings();
  const SettingsSnapshot settings = SnapshotSettings();
  ServiceSettings service;
  {
    std::lock_guard lock(watchState.serviceMutex);
    service = watchState.service;
  }
  const bool timeSale = settings.scanTimesale != 0;
  PrintLine("settings", SettingsPath().empty() ? "(none)" : SettingsPath());
  PrintLine("check", std::string(timeSale ? "time sale" : "count") +
                         (service.Enabled() ? ", today's item-search service ([SERVICE])"
                                            : ", the described services"));
  if (const char* refusal = Refusal(settings)) {
    PrintLine("outcome", std::string("not asked: ") + refusal);
    return 1;
  }
  int value = 0;
  const CheckOutcome outcome =
      timeSale ? AskSalesStatus(value, settings, service) : AskHitCount(value, settings, service);
  const auto masked = [&](const std::string& text) { return MaskSecrets(text, service.accessKey); };
  if (!outcome.url.empty()) PrintLine("request", masked(outcome.url));
  PrintLine("answer", outcome.answer.empty() ? "(none)" : masked(outcome.answer));
  const std::string log = masked(outcome.log);
  const size_t causeStart = outcome.cause.empty() ? std::string::npos : log.find(" — 原因: ");
  PrintLine("outcome", log.substr(0, causeStart) + " — " + outcome.brief);
  if (!outcome.cause.empty()) {
    PrintLine("cause", masked(outcome.cause));
    PrintLine("fix", masked(outcome.fix));
  }
  return outcome.answered ? 0 : 1;
}
