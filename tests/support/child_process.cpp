#include "support/child_process.h"

#include <sys/wait.h>
#include <unistd.h>

namespace testing_support {

int RunInChild(const std::function<int()>& body, bool asUnprivileged) {
  const pid_t pid = fork();
  if (pid == 0) {
    if (asUnprivileged && geteuid() == 0 && (setgid(kNobody) != 0 || setuid(kNobody) != 0)) {
      _exit(125);
    }
    _exit(body());
  }
  int status = 0;
  waitpid(pid, &status, 0);
  return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

}  // namespace testing_support
