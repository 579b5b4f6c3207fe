#pragma once

#include <string>

namespace platform {

// The file beside a settings file whose lock its writers take: ".NAME.writer-lock". Not
// "NAME.lock", which a running Kobanu may hold for its whole life as its one-instance lock.
inline std::string WriterLockPath(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  const size_t name = slash == std::string::npos ? 0 : slash + 1;
  return path.substr(0, name) + "." + path.substr(name) + ".writer-lock";
}

// How long a writer waits for another before it goes on without the lock.
inline constexpr int kWriterLockWaitMs = 5000;

// One writer of a settings file at a time, across processes: from construction to destruction
// it holds an advisory lock on WriterLockPath (POSIX flock, Windows LockFileEx), so that one
// read, change and rename of the file never meets another's. It goes on without the lock after
// kWriterLockWaitMs, and where the lock file cannot be made (a folder that refuses new files) or
// belongs to another user: a stuck or hostile writer never stops a save.
class WriterLock {
 public:
  explicit WriterLock(const std::string& path);
  ~WriterLock();
  WriterLock(const WriterLock&) = delete;
  WriterLock& operator=(const WriterLock&) = delete;

 private:
#ifdef _WIN32
  void* file_ = nullptr;  // a HANDLE; null without the lock
#else
  int fd_ = -1;  // -1 without the lock
#endif
};

}  // namespace platform
