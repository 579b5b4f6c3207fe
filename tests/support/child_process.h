#pragma once

#include <functional>

namespace testing_support {

// Runs body in a forked child and returns its exit status (the child exits with body's result).
// When asUnprivileged is set and the test runs as root, the child first drops to the user
// "nobody", so that file permissions apply to it.
int RunInChild(const std::function<int()>& body, bool asUnprivileged = false);

// The uid and gid that RunInChild's unprivileged child runs as.
constexpr unsigned kNobody = 65534;

}  // namespace testing_support
