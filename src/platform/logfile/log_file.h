#pragma once

#include <cstdint>
#include <string>
#include <string_view>

// A log file that is never a failure of its own: whatever stands in its way, the line is lost and
// nothing is reported.
namespace platform {

enum class LogAppend {
  kWritten,
  kLost,  // this line only: the file cannot be opened or written now
  kFull,  // the file has reached its size and cannot be rotated: it takes no more lines
};

// Appends line to the file at path, whole or not at all (a write cut short, by a full disk say,
// is taken back). A file of rotateAtBytes or more first becomes rotatedPath (replacing an older
// one there) and a new file is begun; where that cannot be done the line is not written and the
// answer is kFull. Only regular files are written and replaced: a directory, device, pipe or link
// in either place, a read-only file or folder, a full disk or a missing folder loses the line.
// A file it creates is readable by the user alone.
LogAppend AppendLogLine(const std::string& path, const std::string& rotatedPath,
                        std::string_view line, uint64_t rotateAtBytes);

// The local time now, as "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText();

}  // namespace platform
