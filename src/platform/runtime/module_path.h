#pragma once

#include <string>

namespace platform {

// Full path of the running executable (GetModuleFileName). Empty when it cannot be read.
std::string ExecutablePath();

// Tests place the executable's directory elsewhere so that each works on its own files.
void SetExecutablePathForTesting(std::string path);

}  // namespace platform
