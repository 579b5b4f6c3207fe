#include "platform/ui/start_sockets.h"

namespace platform {

// Sockets need no start-up here. The HTTP client loads and starts libcurl at its first exchange,
// after the tray icon is up, and reports a failure there as it reports any network failure.
bool StartSockets() { return true; }

}  // namespace platform
