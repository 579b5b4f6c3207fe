#include "app/check_command.h"

#include <cstdio>
#include <string>

#include "base/visible_text.h"
#include "service/check_log.h"
#include "service/outcome_text.h"
#include "settings/settings_file.h"
#include "settings/settings_home.h"
#include "state/watch_state.h"
#include "worker/check_now.h"

namespace {

// Every line may carry the server's words: none of them reaches the terminal as a control.
void PrintLine(const char* label, const std::string& text) {
  std::printf("%-9s%s\n", label, VisibleText(text).c_str());
}

}  // namespace

int RunCheckCommand() {
  settings::DecideSettingsPath();
  LoadSettings();
  const SettingsSnapshot settings = SnapshotSettings();
  const ServiceSettings service = SnapshotService();
  const bool timeSale = settings.scanTimesale != 0;
  PrintLine("settings", settings::SettingsPath().empty() ? "(none)" : settings::SettingsPath());
  PrintLine("check", std::string(timeSale ? "time sale" : "count") +
                         (service.Enabled() ? ", the IchibaItem/Search service ([SERVICE])"
                                            : ", the described services"));
  const service::CheckOutcome outcome = worker::CheckNow(settings, service);
  const auto masked = [&](const std::string& text) {
    return service::MaskSecrets(text, service.accessKey);
  };
  if (!outcome.url.empty()) PrintLine("request", masked(outcome.url));
  PrintLine("answer", outcome.answer.empty() ? "(none)" : masked(outcome.answer));
  const service::OutcomeText text = service::TextOf(outcome);
  // A failure's cause and fix get lines of their own.
  const bool failed = !text.cause.empty();
  PrintLine("outcome", masked(failed ? text.head : text.log) + " — " + text.brief);
  if (outcome.cheapest) PrintLine("cheapest", service::MatchLine(*outcome.cheapest));
  if (failed) {
    PrintLine("cause", masked(text.cause));
    PrintLine("fix", masked(text.fix));
  }
  return outcome.Answered() ? 0 : 1;
}
