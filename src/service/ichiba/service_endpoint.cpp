#include "service/ichiba/service_endpoint.h"

#include <algorithm>
#include <array>
#include <charconv>

#include "base/ascii_text.h"

namespace service {

namespace {

// The service's hosts before May 2026 (app.rakuten.co.jp/services/api/...) and before 2014
// (api.rakuten.co.jp/rws/...): they take no key of today, and the key must not go there.
constexpr std::array<std::string_view, 2> kRetiredHosts = {"app.rakuten.co.jp",
                                                           "api.rakuten.co.jp"};

bool EqualsNoCase(std::string_view a, std::string_view b) {
  return a.size() == b.size() && StartsWithNoCase(a, b);
}

// "0" to "255" as an address's number is written in its plain form: no leading zero, no sign,
// no hexadecimal, so that a text that only looks like a loopback address never counts as one.
bool IsAddressByte(std::string_view part) {
  unsigned value = 256;
  const auto [end, error] = std::from_chars(part.data(), part.data() + part.size(), value);
  return error == std::errc() && end == part.data() + part.size() && value <= 255 &&
         !(part.size() > 1 && part[0] == '0');
}

// Four decimal numbers, the first 127. Shorter or other forms (127.1, 2130706433, 0x7f.0.0.1)
// reach the loopback through some resolvers and a name server through others: refused.
bool IsLoopbackIpv4(std::string_view host) {
  for (int part = 0; part < 4; ++part) {
    const size_t dot = part < 3 ? host.find('.') : host.size();
    if (dot == std::string_view::npos) return false;
    const std::string_view number = host.substr(0, dot);
    if (!IsAddressByte(number) || (part == 0 && number != "127")) return false;
    host.remove_prefix(std::min(dot + 1, host.size()));
  }
  return host.empty();
}

bool IsPort(std::string_view port) {
  return !port.empty() && port.size() <= 5 &&
         std::all_of(port.begin(), port.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The host of scheme://host[:port]/...: empty when the authority holds user information or
// anything but a port after the host.
std::string_view HostOf(std::string_view endpoint, size_t schemeLength) {
  const std::string_view rest = endpoint.substr(schemeLength);
  const std::string_view authority = rest.substr(0, rest.find('/'));
  const size_t hostEnd = authority.starts_with('[') ? authority.find(']') + 1 : authority.find(':');
  if (hostEnd == 0) return {};  // '[' without ']'
  const std::string_view host = authority.substr(0, hostEnd);
  if (host.size() == authority.size()) return host;
  return authority[host.size()] == ':' && IsPort(authority.substr(host.size() + 1))
             ? host
             : std::string_view();
}

bool IsLoopbackHost(std::string_view host) {
  return EqualsNoCase(host, "localhost") || host == "[::1]" || IsLoopbackIpv4(host);
}

}  // namespace

std::optional<Failure> EndpointRefusal(std::string_view endpoint) {
  const bool plain = std::none_of(endpoint.begin(), endpoint.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= 0x20 || b == 0x7F || c == '?' || c == '#';
  });
  if (!plain) return Failure::kBadEndpoint;
  const bool secure = StartsWithNoCase(endpoint, "https://");
  if (!secure && !StartsWithNoCase(endpoint, "http://")) return Failure::kBadEndpoint;
  const std::string_view host = HostOf(endpoint, secure ? 8 : 7);
  if (std::any_of(kRetiredHosts.begin(), kRetiredHosts.end(),
                  [&](std::string_view retired) { return EqualsNoCase(host, retired); })) {
    return Failure::kRetiredHost;
  }
  if (secure) return endpoint.size() > 8 ? std::nullopt : std::optional(Failure::kBadEndpoint);
  return IsLoopbackHost(host) ? std::nullopt : std::optional(Failure::kBadEndpoint);
}

}  // namespace service
