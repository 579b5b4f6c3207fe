#include "platform/profile/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <string>
#include <system_error>

namespace platform {

namespace {

// A file descriptor that is closed on every path.
class Fd {
 public:
  explicit Fd(int fd) : fd_(fd) {}
  ~Fd() {
    if (fd_ >= 0) ::close(fd_);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int get() const { return fd_; }
  bool Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
  }

 private:
  int fd_;
};

bool WriteAll(int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return false;
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  return true;
}

// The file that a write to path really changes: symbolic links are followed, also when their
// final target does not exist yet.
std::filesystem::path ResolveTarget(const std::string& path) {
  std::error_code error;
  auto target = std::filesystem::weakly_canonical(path, error);
  return error ? std::filesystem::path(path) : target;
}

// The mode a newly created file gets: 0666 less the process's umask. Read without umask(), which
// would change the mask for every thread for a moment.
mode_t NewFileMode() {
  std::ifstream status("/proc/self/status");
  std::string field;
  while (status >> field) {
    if (field == "Umask:") {
      unsigned mask = 022;
      status >> std::oct >> mask;
      return static_cast<mode_t>(0666 & ~mask);
    }
  }
  return 0644;
}

bool RewriteInPlace(const std::filesystem::path& target, std::string_view bytes) {
  Fd fd(::open(target.c_str(), O_WRONLY | O_CLOEXEC));
  if (fd.get() < 0) return false;
  return WriteAll(fd.get(), bytes) &&
         ::ftruncate(fd.get(), static_cast<off_t>(bytes.size())) == 0 && ::fsync(fd.get()) == 0 &&
         fd.Close();
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes) {
  const std::filesystem::path target = ResolveTarget(path);
  const std::filesystem::path directory =
      target.has_parent_path() ? target.parent_path() : std::filesystem::path(".");

  struct stat old {};
  const bool exists = ::stat(target.c_str(), &old) == 0;

  std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
  Fd fd(::mkstemp(temporary.data()));
  if (fd.get() < 0) {
    // The directory refuses new files; an existing writable file can still be rewritten.
    return exists && RewriteInPlace(target, bytes);
  }
  const mode_t mode = exists ? (old.st_mode & 07777) : NewFileMode();
  const bool written = WriteAll(fd.get(), bytes) && ::fchmod(fd.get(), mode) == 0 &&
                       ::fsync(fd.get()) == 0 && fd.Close() &&
                       ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!written) {
    ::unlink(temporary.c_str());
    return false;
  }
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace platform
