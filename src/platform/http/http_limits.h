#pragma once

#include <string>

#include "platform/http/http_request.h"

// The bounds and test seams that both HTTP backends share.
namespace platform::http {

// Redirects followed at most; Debian's libcurl would otherwise follow them without end.
inline constexpr int kMaxRedirects = 10;

// The limits in force for an exchange that starts now.
Limits CurrentLimits();

// Whether tests have made every name lookup fail.
bool NameResolutionFails();

#ifdef KOBANU_HTTP_TEST_CA
// The PEM file of the one authority that tests trust; empty: the system's authorities.
std::string TrustedCaFile();
#endif

}  // namespace platform::http
