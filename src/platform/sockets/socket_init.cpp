#include "platform/sockets/socket_init.h"

#include <atomic>

namespace {
std::atomic<bool> failForTesting{false};
}  // namespace

BOOL AfxSocketInit() {
  // Nothing to start here: the HTTP layer loads and initialises libcurl at its first exchange,
  // after the tray icon is up, and reports a failure there as it reports any network failure.
  return failForTesting ? FALSE : TRUE;
}

void FailSocketInitForTesting(bool fail) { failForTesting = fail; }
