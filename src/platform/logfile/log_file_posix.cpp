#include "platform/logfile/log_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <ctime>

namespace platform {

namespace {

bool IsWritableRegularFile(const struct stat& status) {
  return S_ISREG(status.st_mode) && (status.st_mode & 0222) != 0;
}

// The log opened for appending (access O_WRONLY, or O_RDWR to read it too); -1 unless it is a
// writable regular file. Non-blocking, so that a pipe put in its place cannot hold the caller; no
// links followed.
int OpenForAppend(const std::string& path, int access = O_WRONLY) {
  const int fd =
      open(path.c_str(),
           access | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return -1;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !IsWritableRegularFile(status)) {
    close(fd);
    return -1;
  }
  return fd;
}

bool MayReplace(const std::string& path) {
  struct stat status {};
  if (lstat(path.c_str(), &status) != 0) return errno == ENOENT;
  return IsWritableRegularFile(status);
}

// Writes line at the end of fd, or leaves the file as it was.
bool WriteWhole(int fd, std::string_view line) {
  struct stat status {};
  if (fstat(fd, &status) != 0) return false;
  // One write, so that lines of two processes do not interleave.
  if (write(fd, line.data(), line.size()) == static_cast<ssize_t>(line.size())) return true;
  [[maybe_unused]] const int untouched = ftruncate(fd, status.st_size);
  return false;
}

}  // namespace

LogAppend AppendLogLine(const std::string& path, const std::string& rotatedPath,
                        std::string_view line, uint64_t rotateAtBytes) {
  int fd = OpenForAppend(path);
  if (fd < 0) return LogAppend::kLost;
  struct stat status {};
  if (fstat(fd, &status) == 0 && static_cast<uint64_t>(status.st_size) >= rotateAtBytes) {
    close(fd);
    if (!MayReplace(rotatedPath) || rename(path.c_str(), rotatedPath.c_str()) != 0) {
      return LogAppend::kFull;
    }
    fd = OpenForAppend(path);
    if (fd < 0) return LogAppend::kLost;
  }
  const bool written = WriteWhole(fd, line);
  close(fd);
  return written ? LogAppend::kWritten : LogAppend::kLost;
}

bool AppendLines(const std::string& path, std::string_view head, std::string_view lines) {
  const int fd = OpenForAppend(path, O_RDWR);
  if (fd < 0) return false;
  struct stat status {};
  bool written = false;
  if (fstat(fd, &status) == 0) {
    std::string text;
    char last = '\n';
    if (status.st_size == 0) {
      text = head;
    } else if (pread(fd, &last, 1, status.st_size - 1) == 1 && last != '\n') {
      text = "\r\n";
    }
    text += lines;
    written = WriteWhole(fd, text);
  }
  close(fd);
  return written;
}

std::optional<std::string> ReadFileTail(const std::string& path, uint64_t maxBytes) {
  const int fd = open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  std::optional<std::string> tail;
  struct stat status {};
  if (fstat(fd, &status) == 0 && S_ISREG(status.st_mode)) {
    const auto size = static_cast<uint64_t>(status.st_size);
    const uint64_t start = size > maxBytes ? size - maxBytes : 0;
    std::string bytes(size - start, '\0');
    size_t length = 0;
    while (length < bytes.size()) {
      const ssize_t n = pread(fd, bytes.data() + length, bytes.size() - length,
                              static_cast<off_t>(start + length));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // an error, or a file cut short meanwhile: what was read
      length += static_cast<size_t>(n);
    }
    bytes.resize(length);
    tail = std::move(bytes);
  }
  close(fd);
  return tail;
}

std::string LocalTimeText() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  char text[32] = "";
  if (localtime_r(&now, &local) != nullptr) {
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S", &local);
  }
  return text;
}

}  // namespace platform
