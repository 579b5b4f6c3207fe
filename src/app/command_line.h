#pragma once

#include <optional>

// The options that end the program before any window system is touched: --help, --version and
// --autostart on|off. Returns the exit status when one was given (2 for an argument that is
// neither one of them nor one of the toolkit's own options); nothing when Kobanu should start.
std::optional<int> RunCommandLine(int argc, char** argv);
