#include "app/export_history_command.h"

#include <cstdio>
#include <string>

#include "service/price_history.h"
#include "settings/settings_file.h"
#include "settings/settings_home.h"

int RunExportHistoryCommand() {
  settings::DecideSettingsPath();
  LoadSettings();  // which places the folder the history lies in
  const auto rows = service::ReadPriceHistory();
  if (!rows || rows->empty()) {
    const std::string path = service::PriceHistoryPath();
    std::fprintf(stderr, "kobanu: no price history in %s\n",
                 path.empty() ? "(no settings folder)" : path.c_str());
    return 1;
  }
  // Rows as the file holds them, read again, so that nothing but whole rows reaches a script.
  std::string text = std::string(service::kPriceHistoryHeader) + "\n";
  for (const service::PriceRecord& row : *rows) text += service::PriceRow(row, "\n");
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
