#pragma once

#include "platform/http/http_request.h"

// The bounds and test seams that both HTTP backends share.
namespace platform::http {

// Redirects followed at most; Debian's libcurl would otherwise follow them without end.
inline constexpr int kMaxRedirects = 10;

// The status codes followed as redirects when they come with a Location, as the platform's
// client follows them; any other status is the answer.
constexpr bool IsRedirect(long status) {
  return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// The limits in force for an exchange that starts now.
Limits CurrentLimits();

// Whether tests have made every name lookup fail.
bool NameResolutionFails();

}  // namespace platform::http
