#pragma once

#include <string>

// A Windows GUI program has no console of its own. When it is started from one with an option
// that prints, that output goes to that console, in UTF-8 for the Japanese of --check; a plain
// start never takes the console, whose closing would end the program unasked. Nothing when there
// is no console or the output is redirected.
void UseParentConsole();

// Gives the console its code page back and lets go of it.
void ReleaseParentConsole();

// Shows text in a box when no console took it and the standard error goes nowhere: a GUI program
// started from Explorer, a file dropped on it.
void ShowWhereNoConsole(const std::string& text);
