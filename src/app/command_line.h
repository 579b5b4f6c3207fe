#pragma once

#include <variant>

// How Kobanu goes on once its options are read: the tray program, or one window alone.
enum class StartMode { kTray, kServiceSettings, kPriceHistory };

// The options: --help, --version, --check, --export-history and --autostart on|off end the
// program before any window system is touched, with the exit status returned (2 for an argument
// that is neither an option of ours nor one of the toolkit's own); otherwise how Kobanu starts.
std::variant<int, StartMode> RunCommandLine(int argc, char** argv);
