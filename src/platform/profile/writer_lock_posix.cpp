#include "platform/profile/writer_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

namespace platform {

namespace {

constexpr int kPollMs = 10;

}  // namespace

WriterLock::WriterLock(const std::string& path) {
  const std::string lockPath = WriterLockPath(path);
  int fd = ::open(lockPath.c_str(),
                  O_RDWR | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC, 0600);
  // A lock file of the user's made earlier in a folder that is read-only now still serves.
  if (fd < 0)
    fd = ::open(lockPath.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) return;
  struct stat status {};
  if (::fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != ::geteuid()) {
    ::close(fd);
    return;
  }
  for (int waited = 0; waited < kWriterLockWaitMs; waited += kPollMs) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) {
      fd_ = fd;
      return;
    }
    if (errno != EWOULDBLOCK && errno != EINTR) break;
    ::usleep(kPollMs * 1000);
  }
  ::close(fd);
}

WriterLock::~WriterLock() {
  if (fd_ >= 0) ::close(fd_);  // lets go of the lock
}

}  // namespace platform
