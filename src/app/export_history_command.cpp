#include "app/export_history_command.h"

#include <cstdio>
#include <string>

#include "service/price_history.h"
#include "settings/settings_file.h"
#include "settings/settings_home.h"

int RunExportHistoryCommand() {
  settings::DecideSettingsPath();
  LoadSettings();  // which places the folder the history lies in
  const auto rows = ReadPriceHistory();
  if (!rows || rows->empty()) {
    const std::string path = PriceHistoryPath();
    std::fprintf(stderr, "kobanu: no price history in %s\n",
                 path.empty() ? "(no settings folder)" : path.c_str());
    return 1;
  }
  // Rows as the file holds them, read again, so that nothing but whole rows reaches a script.
  std::string text = std::string(kPriceHistoryHeader) + "\n";
  for (const PriceRecord& row : *rows) text += PriceRow(row, "\n");
  std::fwrite(text.data(), 1, text.size(), stdout);
  return 0;
}
