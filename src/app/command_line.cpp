#include "app/command_line.h"

#include <algorithm>
#include <array>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>
#include <string_view>

#include "app/autostart.h"
#include "app/check_command.h"
#include "app/export_history_command.h"
#include "app/parent_console.h"
#include "kobanu_version.h"
#include "platform/runtime/module_path.h"

namespace {

constexpr const char* kUsage =
    "Usage: kobanu [--service-settings | --price-history | --check | --export-history |\n"
    "               --autostart on|off | --help | --version]\n"
    "Kobanu sits in the notification area and watches Rakuten Ichiba for one keyword.\n"
    "\n"
    "  --service-settings  fill in and test [SERVICE] (IchibaItem/Search) in a window\n"
    "  --price-history     show the recorded cheapest prices as a chart\n"
    "  --check             make the next hourly check now and print what it found\n"
    "  --export-history    print the recorded prices as CSV (UTF-8)\n"
    "  --autostart on      start Kobanu at login (for this user)\n"
    "  --autostart off     no longer start it at login\n"
    "  --help              show this text\n"
    "  --version           show the version\n";

// The toolkit's own options (one dash or two), which a session manager or a user may give; the
// first ones take a value, as the next argument or after "=".
constexpr std::array<std::string_view, 12> kToolkitOptionsWithValue = {
    "platform",        "platformpluginpath", "platformtheme", "plugin",
    "qwindowgeometry", "qwindowicon",        "qwindowtitle",  "session",
    "display",         "geometry",           "style",         "stylesheet"};
constexpr std::array<std::string_view, 5> kToolkitFlags = {
    "reverse", "widgetcount", "qmljsdebugger", "dialogs", "fontengine"};

// How many arguments a toolkit option at argument i takes up; 0 when it is none.
int ToolkitOptionLength(int argc, char** argv, int i) {
  std::string_view option = argv[i];
  if (!option.starts_with('-')) return 0;
  option.remove_prefix(option.starts_with("--") ? 2 : 1);
  const size_t equals = option.find('=');
  const std::string_view name = option.substr(0, equals);
  const auto known = [&](const auto& names) {
    return std::find(names.begin(), names.end(), name) != names.end();
  };
  if (known(kToolkitFlags)) return 1;
  if (!known(kToolkitOptionsWithValue)) return 0;
  if (equals != std::string_view::npos) return 1;
  return i + 1 < argc ? 2 : 0;
}

// What an option printed reached its reader: a full disk or a closed pipe is a failure.
int Printed(int status) {
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return status;
  std::fprintf(stderr, "kobanu: cannot write the output: %s\n", std::strerror(errno));
  return 1;
}

int Usage(const std::string& complaint) {
  const std::string text = "kobanu: " + complaint + "\n" + kUsage;
  std::fputs(text.c_str(), stderr);
#ifdef _WIN32
  ShowWhereNoConsole(text);
#endif
  return 2;
}

int Autostart(const std::string& choice) {
  if (choice == "on") {
    const AutostartChange enabled = EnableAutostart(platform::ExecutablePath());
    if (!enabled.done) {
      std::fprintf(stderr, "kobanu: cannot set up the start at login: %s\n", enabled.where.c_str());
      return 1;
    }
    std::printf("Kobanu starts at login (%s).\n", enabled.where.c_str());
    return Printed(0);
  }
  const AutostartChange disabled = DisableAutostart();
  if (!disabled.done) {
    std::fprintf(stderr, "kobanu: cannot remove the start at login: %s\n", disabled.where.c_str());
    return 1;
  }
  std::printf("Kobanu no longer starts at login.\n");
  return Printed(0);
}

}  // namespace

std::variant<int, StartMode> RunCommandLine(int argc, char** argv) {
  StartMode mode = StartMode::kTray;
  for (int i = 1; i < argc; ++i) {
    const std::string option = argv[i];
    if (option == "--help" || option == "-h") {
      std::fputs(kUsage, stdout);
      return Printed(0);
    }
    if (option == "--version") {
      std::printf("Kobanu %s\n", KOBANU_VERSION);
      return Printed(0);
    }
    if (option == "--check") return Printed(RunCheckCommand());
    if (option == "--export-history") return Printed(RunExportHistoryCommand());
    if (option == "--service-settings" || option == "--price-history") {
      mode = option == "--price-history" ? StartMode::kPriceHistory : StartMode::kServiceSettings;
      continue;
    }
    if (option == "--autostart") {
      const std::string choice = i + 1 < argc ? argv[i + 1] : "";
      if (choice != "on" && choice != "off") return Usage("--autostart takes on or off");
      return Autostart(choice);
    }
    const int toolkitOption = ToolkitOptionLength(argc, argv, i);
    if (toolkitOption == 0) return Usage("unknown option " + option);
    i += toolkitOption - 1;
  }
  return mode;
}
