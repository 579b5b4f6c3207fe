#pragma once

#include <optional>

// The options that end the program before any window system is touched: --help, --version and
// --autostart on|off. Returns the exit status when one was given; nothing when Kobanu should
// start. Every other argument is left to the toolkit.
std::optional<int> RunCommandLine(int argc, char** argv);
