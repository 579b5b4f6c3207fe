#include "platform/http/http_request.h"

#include <strings.h>

#include <algorithm>
#include <optional>
#include <utility>
#include <vector>

#include "platform/http/curl_transfer.h"

namespace platform::http {

struct HttpRequest::Exchange {
  std::string url;
  std::vector<std::string> headerLines;  // "Name: value"
  int status = 0;
  std::string body;                  // up to its last complete line when the transfer broke
  std::optional<HttpError> failure;  // reported once the body is taken
  bool everyStatusBody = false;
  bool guardedRedirects = false;
};

namespace {

std::string_view NameOf(std::string_view line) { return line.substr(0, line.find(':')); }

bool SameName(std::string_view a, std::string_view b) {
  return a.size() == b.size() && strncasecmp(a.data(), b.data(), a.size()) == 0;
}

}  // namespace

HttpRequest::HttpRequest(std::string_view agentName, std::string url)
    : exchange_(std::make_unique<Exchange>()) {
  exchange_->url = std::move(url);
  // The platform's request carries the session's agent name as its User-Agent from the start,
  // so a User-Agent line added later with add-if-new semantics is not sent. The two no-cache
  // lines stand for the reload flag: every answer comes from the origin server, never a cache.
  exchange_->headerLines = {"User-Agent: " + std::string(agentName), "Cache-Control: no-cache",
                            "Pragma: no-cache"};
}

HttpRequest::~HttpRequest() = default;

void HttpRequest::AddRequestHeaders(std::string_view headerLines) {
  while (!headerLines.empty()) {
    const size_t end = std::min(headerLines.find('\n'), headerLines.size());
    std::string_view line = headerLines.substr(0, end);
    headerLines.remove_prefix(std::min(end + 1, headerLines.size()));
    if (line.ends_with('\r')) line.remove_suffix(1);
    if (line.find(':') == line.npos) continue;
    const auto& present = exchange_->headerLines;
    const bool known = std::any_of(present.begin(), present.end(), [&](const std::string& p) {
      return SameName(NameOf(p), NameOf(line));
    });
    if (!known) exchange_->headerLines.emplace_back(line);
  }
}

void HttpRequest::FetchBodyOfEveryStatus() { exchange_->everyStatusBody = true; }

void HttpRequest::FollowRedirectsOnlyToHttpsOfTheSameHost() { exchange_->guardedRedirects = true; }

void HttpRequest::SendRequest() {
  Exchange& e = *exchange_;
  TransferResult result = PerformGet(e.url, e.headerLines, e.everyStatusBody, e.guardedRedirects);
  if (result.status == 0) {
    throw result.failure.value_or(HttpError(HttpFailure::kConnection, "no response"));
  }
  e.status = result.status;
  e.body = std::move(result.body);
  e.failure = std::move(result.failure);
  // After a break only whole lines count: the last one may be cut anywhere.
  if (e.failure) {
    const size_t lastLineEnd = e.body.rfind('\n');
    e.body.resize(lastLineEnd == e.body.npos ? 0 : lastLineEnd + 1);
  }
}

int HttpRequest::QueryInfoStatusCode() const { return exchange_->status; }

std::string HttpRequest::ReadRest() {
  Exchange& e = *exchange_;
  if (e.body.empty() && e.failure) throw *e.failure;
  return std::exchange(e.body, {});
}

}  // namespace platform::http
