#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A log file that is never a failure of its own: whatever stands in its way, the line is lost and
// nothing is reported.
namespace platform {

// Appends line to the file at path. A file of rotateAtBytes or more first becomes rotatedPath
// (replacing an older one there) and a new file is begun. Only regular files are written and
// replaced: a directory, device, pipe or link in either place, a read-only file, a full disk or
// a missing folder loses the line.
void AppendLogLine(const std::string& path, const std::string& rotatedPath, std::string_view line,
                   uint64_t rotateAtBytes);

// The local time now, as "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText();

}  // namespace platform
