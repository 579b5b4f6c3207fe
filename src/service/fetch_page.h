#pragma once

#include <optional>
#include <string>

#include "platform/http/http_request.h"

// One HTTP GET of an absolute http URL. The target is emptied before any traffic; on status 200
// the body is appended to it piece by piece as the line reader delivers it. 0 when the exchange
// ran to its end, whatever the status (any status but 200 leaves the target empty); -1 when the
// HTTP layer failed, with the target holding what was appended before the failure.
int FetchPage(std::string& target, std::string url);

namespace service {

// What became of one such GET, told whole: the final answer's status (0 when none arrived), the
// body as FetchPage gives it, and the HTTP layer's failure when it broke off.
struct FetchResult {
  int status = 0;
  std::string body;
  std::optional<platform::http::HttpError> failure;
};
FetchResult FetchAnswer(std::string url);

// The same GET for the IchibaItem/Search service: JSON asked for, the referer (when not empty)
// sent as Referer and its origin as Origin, the body kept whatever the status, since the
// service explains its errors there, and a redirect followed only to https on the same host,
// since the address carries the access key.
FetchResult FetchServiceAnswer(std::string url, const std::string& referer);

// The origin of an address, as browsers send it: "scheme://host[:port]", without user
// information, path, query or fragment. An address without "://" as it is.
std::string OriginOf(const std::string& address);

}  // namespace service
