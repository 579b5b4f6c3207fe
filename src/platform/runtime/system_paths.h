#pragma once

#include <string>

namespace platform {

// The running executable's path as the system reports it.
std::string SystemExecutablePath();

}  // namespace platform
