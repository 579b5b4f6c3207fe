#pragma once

#include <optional>
#include <string>

#include "platform/http/http_request.h"

namespace platform::http {

// For an exchange that carries a secret (HttpRequest::FollowRedirectsOnlyToHttpsOfTheSameHost):
// nothing when a redirect from the first address to next stays on https and on the first
// address's host; otherwise the failure that ends the exchange before anything goes to next,
// whose words are next without its query.
std::optional<HttpError> GuardedRedirectRefusal(const std::string& first, const std::string& next);

}  // namespace platform::http
