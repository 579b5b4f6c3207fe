#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/http/http_request.h"

// The libcurl side of the HTTP layer; nothing outside src/platform/http includes this.
namespace platform::http {

struct TransferResult {
  int status = 0;                      // the final response's status; 0 before its headers
  std::string body;                    // what arrived of the body (of a 200 response unless
                                       // asked for all)
  std::optional<HttpError> failure{};  // why the exchange broke off
};

// One GET of url with the given header lines ("Name: value"), redirects followed (with
// guardedRedirects only to https on url's host), within the current limits; the body of a final
// status other than 200 only when everyStatusBody is set. Network failures are reported in the
// result, not thrown.
TransferResult PerformGet(const std::string& url, const std::vector<std::string>& headerLines,
                          bool everyStatusBody, bool guardedRedirects);

}  // namespace platform::http
