#pragma once

#include <cstdint>
#include <optional>
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

// Appends lines (each ended) to the file at path, whole or not at all, on the same terms as
// AppendLogLine but never rotated. A file that is empty first gets head; one whose last line has no
// end (a line added by hand) first gets "\r\n", so that the new lines stay lines of their own.
// False when nothing was written.
bool AppendLines(const std::string& path, std::string_view head, std::string_view lines);

// The last maxBytes of the regular file at path (the whole file when it is no larger); nothing
// when there is no such file or it cannot be read. A pipe or device in its place is not waited on.
std::optional<std::string> ReadFileTail(const std::string& path, uint64_t maxBytes);

// The local time now, as "YYYY-MM-DD HH:MM:SS".
std::string LocalTimeText();

}  // namespace platform
