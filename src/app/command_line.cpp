#include "app/command_line.h"

#include <cstdio>
#include <string>

#include "app/autostart.h"
#include "platform/runtime/module_path.h"

namespace {

constexpr const char* kVersion = "1.00";

constexpr const char* kUsage =
    "Usage: kobanu [--autostart on|off | --help | --version]\n"
    "Kobanu sits in the notification area and watches Rakuten Ichiba for one keyword.\n"
    "\n"
    "  --autostart on    start Kobanu at login (for this user)\n"
    "  --autostart off   no longer start it at login\n"
    "  --help            show this text\n"
    "  --version         show the version\n";

int Autostart(const std::string& choice) {
  std::string where;
  if (choice == "on") {
    if (!EnableAutostart(platform::ExecutablePath(), where)) {
      std::fprintf(stderr, "kobanu: cannot set up the start at login: %s\n", where.c_str());
      return 1;
    }
    std::printf("Kobanu starts at login (%s).\n", where.c_str());
    return 0;
  }
  if (!DisableAutostart(where)) {
    std::fprintf(stderr, "kobanu: cannot remove the start at login: %s\n", where.c_str());
    return 1;
  }
  std::printf("Kobanu no longer starts at login.\n");
  return 0;
}

}  // namespace

std::optional<int> RunCommandLine(int argc, char** argv) {
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return 0;
    }
    if (option == "--version") {
      std::printf("Kobanu %s\n", kVersion);
      return 0;
    }
    if (option == "--autostart") {
      const std::string choice = i + 1 < argc ? argv[i + 1] : "";
      if (choice != "on" && choice != "off") {
        std::fprintf(stderr, "kobanu: --autostart takes on or off\n%s", kUsage);
        return 2;
      }
      return Autostart(choice);
    }
  }
  return std::nullopt;
}
