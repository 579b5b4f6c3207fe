#pragma once

// The system's own start-up of its sockets layer, which AfxSocketInit runs.
namespace platform {

bool StartSockets();

}  // namespace platform
