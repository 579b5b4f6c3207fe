#include "service/fetch_page.h"

#include <cstring>

#include "platform/http/http_request.h"

namespace {

// The session's agent name, which the HTTP layer sends as the User-Agent; the block's own
// "User-Agent: xxxx" line is therefore not added (add-if-new).
constexpr char kAgentName[] = "Session1";
constexpr char kHeaderBlock[] = "Accept: text/*\r\nUser-Agent: xxxx\r\n";

constexpr size_t kLineBufferSize = 5024;
constexpr size_t kLineMax = 5000;  // per read, the terminating zero included

}  // namespace

int FetchPage(std::string& target, std::string url) {
  target.clear();
  try {
    platform::http::HttpRequest request(kAgentName, std::move(url));
    request.AddRequestHeaders(kHeaderBlock);
    request.SendRequest();
    if (request.QueryInfoStatusCode() != 200) return 0;
    // Not cleared between reads: the reader zero-terminates every piece, so the first zero byte
    // lies within what the read wrote, and a zero byte inside a piece ends it as well.
    char line[kLineBufferSize];
    while (request.ReadString(line, kLineMax) != nullptr) {
      const auto* zero = static_cast<const char*>(std::memchr(line, '\0', kLineMax));
      target.append(line, static_cast<size_t>(zero - line));
    }
  } catch (const platform::http::HttpError&) {
    return -1;
  }
  return 0;
}
