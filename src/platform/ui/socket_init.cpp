#include "platform/ui/socket_init.h"

#include <atomic>

#include "platform/ui/start_sockets.h"

namespace {
std::atomic<bool> failForTesting{false};
}  // namespace

BOOL AfxSocketInit() {
  if (failForTesting) return FALSE;
  return platform::StartSockets() ? TRUE : FALSE;
}

bool FailSocketInitForTesting(bool fail) { return failForTesting.exchange(fail); }
