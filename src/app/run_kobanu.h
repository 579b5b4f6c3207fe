#pragma once

// Runs the program on the desktop's backend: start-up, then the message loop, then the end of the
// process. Never returns.
[[noreturn]] void RunKobanu(int& argc, char** argv);
