#include "platform/sockets/socket_init.h"

#include <curl/curl.h>

#include <atomic>

namespace {
std::atomic<bool> failForTesting{false};
}  // namespace

BOOL AfxSocketInit() {
  if (failForTesting) return FALSE;
  return curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK ? TRUE : FALSE;
}

void FailSocketInitForTesting(bool fail) { failForTesting = fail; }
