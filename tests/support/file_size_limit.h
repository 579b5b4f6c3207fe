#pragma once

#include <signal.h>
#include <sys/resource.h>

#include <cstdint>
#include <functional>

namespace testing_support {

// Runs `write` with the files of this process limited to `bytes`, SIGXFSZ ignored, so that a
// write past it is cut short as a full disk cuts it; both as they were afterwards. False when the
// limit could not be set or taken back. POSIX.
inline bool WithFileSizeLimit(uint64_t bytes, const std::function<void()>& write) {
  struct sigaction ignore {
  }, previous{};
  ignore.sa_handler = SIG_IGN;
  rlimit limit{}, saved{};
  if (sigaction(SIGXFSZ, &ignore, &previous) != 0 || getrlimit(RLIMIT_FSIZE, &saved) != 0) {
    return false;
  }
  limit = saved;
  limit.rlim_cur = bytes;
  const bool limited = setrlimit(RLIMIT_FSIZE, &limit) == 0;
  if (limited) write();
  return limited && setrlimit(RLIMIT_FSIZE, &saved) == 0 &&
         sigaction(SIGXFSZ, &previous, nullptr) == 0;
}

}  // namespace testing_support
