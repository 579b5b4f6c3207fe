#pragma once

#include <cstdint>
#include <string_view>

namespace platform {

// The C runtime's atoi, independent of the locale: leading white space, an optional sign, then
// decimal digits up to the first other character; 0 when no digit follows. A value beyond the
// 32-bit range saturates to INT32_MAX or INT32_MIN, as the Windows runtime does.
int32_t Atoi(std::string_view text);

// The C runtime's strtod in the "C" locale ('.' as the decimal point, whatever the process's
// locale), on a zero-terminated text.
double StrtodC(const char* text);

}  // namespace platform
