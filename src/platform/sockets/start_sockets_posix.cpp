#include <curl/curl.h>

#include "platform/sockets/start_sockets.h"

namespace platform {

// Here the sockets layer is the HTTP client's, and its one global initialisation starts it.
bool StartSockets() { return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; }

}  // namespace platform
