#include "service/fetch_page.h"

#include <algorithm>
#include <utility>

#include "platform/http/http_request.h"
#include "service/line_pieces.h"

namespace service {
namespace {

// The session's agent name, which the HTTP layer sends as the User-Agent; the block's own
// "User-Agent: xxxx" line is therefore not added (add-if-new).
constexpr char kAgentName[] = "Session1";
constexpr char kHeaderBlock[] = "Accept: text/*\r\nUser-Agent: xxxx\r\n";
constexpr char kServiceHeaderBlock[] = "Accept: application/json\r\n";

// The service explains its errors in the body of any status, and its requests carry the access
// key, which a redirect may not take off https or to another host.
FetchResult Fetch(std::string url, const std::string& headerBlock, bool forService) {
  FetchResult result;
  try {
    platform::http::HttpRequest request(kAgentName, std::move(url));
    request.AddRequestHeaders(headerBlock);
    if (forService) {
      request.FetchBodyOfEveryStatus();
      request.FollowRedirectsOnlyToHttpsOfTheSameHost();
    }
    request.SendRequest();
    result.status = request.QueryInfoStatusCode();
    if (result.status != 200 && !forService) return result;
    // The body comes in one block; when the transfer broke after it, the next read says so.
    for (std::string block = request.ReadRest(); !block.empty(); block = request.ReadRest()) {
      AppendLinePieces(result.body, std::move(block));
    }
  } catch (const platform::http::HttpError& error) {
    result.failure = error;
  }
  return result;
}

}  // namespace

FetchResult FetchAnswer(std::string url) { return Fetch(std::move(url), kHeaderBlock, false); }

std::string OriginOf(const std::string& address) {
  const size_t scheme = address.find("://");
  if (scheme == std::string::npos) return address;
  const size_t hostStart = scheme + 3;
  const size_t hostEnd = std::min(address.find_first_of("/?#", hostStart), address.size());
  const size_t at = address.rfind('@', hostEnd - 1);
  const size_t start = at != std::string::npos && at >= hostStart ? at + 1 : hostStart;
  return address.substr(0, hostStart) + address.substr(start, hostEnd - start);
}

FetchResult FetchServiceAnswer(std::string url, const std::string& referer) {
  std::string headers = kServiceHeaderBlock;
  // A control character could end the header line and start another.
  const bool plain = std::none_of(referer.begin(), referer.end(),
                                  [](char c) { return static_cast<unsigned char>(c) < 0x20; });
  if (!referer.empty() && plain) {
    headers += "Referer: " + referer + "\r\nOrigin: " + OriginOf(referer) + "\r\n";
  }
  return Fetch(std::move(url), headers, true);
}

}  // namespace service

int FetchPage(std::string& target, std::string url) {
  target.clear();
  service::FetchResult result = service::FetchAnswer(std::move(url));
  target = std::move(result.body);
  return result.failure ? -1 : 0;
}
