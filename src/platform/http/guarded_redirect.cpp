#include "platform/http/guarded_redirect.h"

#include <algorithm>
#include <string_view>

#include "base/ascii_text.h"

namespace platform::http {

namespace {

// The host of scheme://[user@]host[:port]/..., as written; empty without "://".
std::string_view HostOf(std::string_view address) {
  const size_t scheme = address.find("://");
  if (scheme == std::string_view::npos) return {};
  std::string_view authority = address.substr(scheme + 3);
  authority = authority.substr(0, authority.find_first_of("/?#"));
  if (const size_t at = authority.rfind('@'); at != std::string_view::npos) {
    authority.remove_prefix(at + 1);
  }
  const size_t end = authority.starts_with('[') ? authority.find(']') + 1 : authority.find(':');
  return authority.substr(0, end);
}

}  // namespace

std::optional<HttpError> GuardedRedirectRefusal(const std::string& first, const std::string& next) {
  const std::string_view host = HostOf(first);
  const std::string_view nextHost = HostOf(next);
  if (StartsWithNoCase(next, "https://") && !host.empty() && host.size() == nextHost.size() &&
      StartsWithNoCase(nextHost, host)) {
    return std::nullopt;
  }
  return HttpError(HttpFailure::kRedirect, next.substr(0, next.find_first_of("?#")));
}

}  // namespace platform::http
