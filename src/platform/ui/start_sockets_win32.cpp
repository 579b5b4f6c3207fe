#include "platform/ui/start_sockets.h"

#include <winsock2.h>

namespace platform {

// Version 1.1, the one the framework asks for.
bool StartSockets() {
  WSADATA data;
  return WSAStartup(MAKEWORD(1, 1), &data) == 0;
}

}  // namespace platform
