#include "platform/ui/instance_lock.h"

#include <fcntl.h>
#include <pwd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

namespace ui {

namespace {

int lockFile = -1;  // held to the end; the system lets go of it however the process ends

// A folder of this user's that no one else may write in: nobody else can have put a lock there.
bool IsOwnFolder(const std::string& folder, mode_t othersMayNot) {
  struct stat status {};
  return !folder.empty() && stat(folder.c_str(), &status) == 0 && S_ISDIR(status.st_mode) &&
         status.st_uid == geteuid() && (status.st_mode & othersMayNot) == 0;
}

std::string UserName() {
  std::vector<char> buffer(16384);
  passwd entry{};
  passwd* found = nullptr;
  if (getpwuid_r(geteuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found) {
    return found->pw_name;
  }
  return std::to_string(geteuid());
}

// The user's private runtime folder: the session's, the one the system keeps for the user when
// the session's variables are not set (cron, ssh), or one of our own in the temporary folder, as
// Qt makes it. Empty when none of them is the user's alone.
std::string RuntimeFolder() {
  constexpr mode_t kPrivate = S_IRWXG | S_IRWXO;
  if (const char* session = std::getenv("XDG_RUNTIME_DIR"); session && session[0] == '/') {
    if (IsOwnFolder(session, kPrivate)) return session;
  }
  const std::string system = "/run/user/" + std::to_string(geteuid());
  if (IsOwnFolder(system, kPrivate)) return system;
  const char* temp = std::getenv("TMPDIR");
  const std::string own =
      (temp && temp[0] == '/' ? std::string(temp) : std::string("/tmp")) + "/runtime-" + UserName();
  mkdir(own.c_str(), 0700);  // made now, or there already: the check below decides
  return IsOwnFolder(own, kPrivate) ? own : "";
}

enum class Take { kTaken, kBusy, kFailed };

Take TakeLock(const std::string& path) {
  const int fd = open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_NOCTTY | O_CLOEXEC, 0600);
  if (fd < 0) return Take::kFailed;
  struct stat status {};
  if (fstat(fd, &status) != 0 || !S_ISREG(status.st_mode) || status.st_uid != geteuid()) {
    close(fd);
    return Take::kFailed;
  }
  if (flock(fd, LOCK_EX | LOCK_NB) == 0) {
    lockFile = fd;
    return Take::kTaken;
  }
  const bool busy = errno == EWOULDBLOCK;
  close(fd);
  return busy ? Take::kBusy : Take::kFailed;
}

InstanceClaim ClaimOf(Take take) {
  return take == Take::kTaken ? InstanceClaim::kHeld : InstanceClaim::kHeldElsewhere;
}

}  // namespace

InstanceClaim ClaimInstanceLock(const std::string& settingsPath) {
  if (const std::string runtime = RuntimeFolder(); !runtime.empty()) {
    const Take take = TakeLock(runtime + "/" + InstanceLockName(settingsPath) + ".lock");
    if (take != Take::kFailed) return ClaimOf(take);
  }
  // No private runtime folder: a lock beside the settings file, when its folder is the user's.
  if (settingsPath.empty()) return InstanceClaim::kNoLock;
  const std::filesystem::path folder = std::filesystem::path(settingsPath).parent_path();
  std::error_code error;
  std::filesystem::create_directories(folder, error);
  if (!IsOwnFolder(folder.string(), S_IWGRP | S_IWOTH)) return InstanceClaim::kNoLock;
  const Take take = TakeLock(settingsPath + ".lock");
  return take == Take::kFailed ? InstanceClaim::kNoLock : ClaimOf(take);
}

void ReleaseInstanceLock() {
  if (lockFile >= 0) close(lockFile);
  lockFile = -1;
}

}  // namespace ui
