#include "platform/profile/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "platform/profile/file_descriptor.h"

namespace platform {

namespace {

constexpr int kMaxLinksFollowed = 40;  // as the kernel follows in one path

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
// final target does not exist yet. Nothing for a loop or a chain too long to follow.
std::optional<std::filesystem::path> ResolveTarget(const std::filesystem::path& path) {
  std::filesystem::path target = path;
  for (int hops = 0; hops <= kMaxLinksFollowed; ++hops) {
    std::error_code error;
    if (!std::filesystem::is_symlink(std::filesystem::symlink_status(target, error))) {
      return target;
    }
    const std::filesystem::path link = std::filesystem::read_symlink(target, error);
    if (error) return std::nullopt;
    target = link.is_absolute() ? link : target.parent_path() / link;
  }
  return std::nullopt;
}

constexpr mode_t kOwnerOnly = S_IRUSR | S_IWUSR;

// The mode a newly created file gets: 0666, or 0600 for its owner alone, less the process's
// umask. Read without umask(), which would change the mask for every thread for a moment.
mode_t NewFileMode(FileReaders readers) {
  const mode_t wanted = readers == FileReaders::Everyone ? 0666 : kOwnerOnly;
  std::ifstream status("/proc/self/status");
  std::string field;
  while (status >> field) {
    if (field == "Umask:") {
      unsigned mask = 022;
      status >> std::oct >> mask;
      return static_cast<mode_t>(wanted & ~mask);
    }
  }
  return wanted & 0644;
}

// A file without any write permission was made read-only on purpose, even where we (root) could
// write it anyway.
bool IsReadOnly(const std::filesystem::path& target, const struct stat& status) {
  return (status.st_mode & 0222) == 0 ||
         ::faccessat(AT_FDCWD, target.c_str(), W_OK, AT_EACCESS) != 0;
}

// Not crash-safe, so only where a new file cannot take the old one's place. The space is
// reserved first, so that a full disk leaves the file as it was rather than cut short; a file
// for its owner alone is made so before a byte goes in.
bool RewriteInPlace(const std::filesystem::path& target, std::string_view bytes,
                    FileReaders readers) {
  Fd fd(::open(target.c_str(), O_WRONLY | O_NOFOLLOW | O_CLOEXEC));
  if (fd.get() < 0) return false;
  if (readers == FileReaders::OwnerOnly && ::fchmod(fd.get(), kOwnerOnly) != 0) return false;
  const auto size = static_cast<off_t>(bytes.size());
  return (size == 0 || ::posix_fallocate(fd.get(), 0, size) == 0) && WriteAll(fd.get(), bytes) &&
         ::ftruncate(fd.get(), size) == 0 && ::fsync(fd.get()) == 0 && fd.Close();
}

bool WriteAndFlush(int fd, std::string_view bytes, mode_t mode) {
  return WriteAll(fd, bytes) && ::fchmod(fd, mode) == 0 && ::fsync(fd) == 0;
}

// ".NAME." and ".new" around a writer's process id: the name a save gives its new file before
// the rename.
std::string StagingPrefix(const std::filesystem::path& target) {
  return "." + target.filename().string() + ".";
}

// Removes the names that writers which died between their link and their rename left.
void RemoveDeadWritersFiles(const std::filesystem::path& target,
                            const std::filesystem::path& directory) {
  const std::string prefix = StagingPrefix(target);
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(directory, error)) {
    const std::string name = entry.path().filename().string();
    if (!name.starts_with(prefix) || !name.ends_with(".new")) continue;
    const std::string number = name.substr(prefix.size(), name.size() - prefix.size() - 4);
    char* end = nullptr;
    const long pid = std::strtol(number.c_str(), &end, 10);
    if (number.empty() || *end != '\0' || pid <= 0) continue;
    if (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH) ::unlink(entry.path().c_str());
  }
}

// Writes into a file without a name, which a crash cannot leave behind, then gives it this
// writer's name beside the target and renames that over the target: a crash between the two
// steps leaves that name, which a later save removes. Nothing when the file system has no
// unnamed files or cannot name one.
std::optional<bool> ReplaceThroughUnnamedFile(const std::filesystem::path& target,
                                              const std::filesystem::path& directory,
                                              std::string_view bytes, mode_t mode) {
  Fd fd(::open(directory.c_str(), O_TMPFILE | O_WRONLY | O_CLOEXEC, kOwnerOnly));
  if (fd.get() < 0) return std::nullopt;
  if (!WriteAndFlush(fd.get(), bytes, mode)) return false;
  RemoveDeadWritersFiles(target, directory);
  const std::string staging =
      (directory / (StagingPrefix(target) + std::to_string(::getpid()) + ".new")).string();
  ::unlink(staging.c_str());  // this process's, left by an earlier save that failed
  const std::string self = "/proc/self/fd/" + std::to_string(fd.get());
  if (::linkat(fd.get(), "", AT_FDCWD, staging.c_str(), AT_EMPTY_PATH) != 0 &&
      ::linkat(AT_FDCWD, self.c_str(), AT_FDCWD, staging.c_str(), AT_SYMLINK_FOLLOW) != 0) {
    return std::nullopt;
  }
  if (::rename(staging.c_str(), target.c_str()) != 0) {
    ::unlink(staging.c_str());
    return false;
  }
  return true;
}

// Where a file cannot be unnamed: a temporary file of its own name, removed on failure.
std::optional<bool> ReplaceThroughNamedFile(const std::filesystem::path& target,
                                            const std::filesystem::path& directory,
                                            std::string_view bytes, mode_t mode) {
  std::string temporary = (directory / ("." + target.filename().string() + ".XXXXXX")).string();
  Fd fd(::mkstemp(temporary.data()));
  if (fd.get() < 0) return std::nullopt;
  const bool written = WriteAndFlush(fd.get(), bytes, mode) && fd.Close() &&
                       ::rename(temporary.c_str(), target.c_str()) == 0;
  if (!written) ::unlink(temporary.c_str());
  return written;
}

}  // namespace

bool ReplaceFile(const std::string& path, std::string_view bytes, FileReaders readers) {
  const std::optional<std::filesystem::path> target = ResolveTarget(path);
  if (!target) return false;
  const std::filesystem::path directory =
      target->has_parent_path() ? target->parent_path() : std::filesystem::path(".");

  struct stat old {};
  const bool exists = ::stat(target->c_str(), &old) == 0;
  if (exists && (!S_ISREG(old.st_mode) || IsReadOnly(*target, old))) return false;
  // A rename would part the file from its other names.
  if (exists && old.st_nlink > 1) return RewriteInPlace(*target, bytes, readers);

  const mode_t mode = readers == FileReaders::OwnerOnly ? kOwnerOnly
                      : exists                          ? (old.st_mode & 07777)
                                                        : NewFileMode(readers);
  std::optional<bool> replaced = ReplaceThroughUnnamedFile(*target, directory, bytes, mode);
  if (!replaced) replaced = ReplaceThroughNamedFile(*target, directory, bytes, mode);
  // The directory refuses new files; an existing writable file can still be rewritten.
  if (!replaced) return exists && RewriteInPlace(*target, bytes, readers);
  if (!*replaced) return false;
  Fd dir(::open(directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.get() >= 0) ::fsync(dir.get());
  return true;
}

}  // namespace platform
