#include "platform/http/curl_transfer.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <string_view>

#include "base/ascii_text.h"
#include "platform/http/curl_library.h"
#include "platform/http/guarded_redirect.h"
#include "platform/http/http_limits.h"
#include "platform/http/http_request.h"

namespace platform::http {

namespace {

using Clock = std::chrono::steady_clock;

struct EasyCleanup {
  void operator()(CURL* handle) const { Curl()->easyCleanup(handle); }
};
struct ListCleanup {
  void operator()(curl_slist* list) const { Curl()->slistFreeAll(list); }
};
using EasyHandle = std::unique_ptr<CURL, EasyCleanup>;
using HeaderList = std::unique_ptr<curl_slist, ListCleanup>;

// What the callbacks of one transfer share.
struct Transfer {
  CURL* handle;
  Limits limits;
  TransferResult result{};
  std::optional<Clock::time_point> lastActivity{};  // from the connection on
  size_t headerBytes = 0;                           // of every response so far, trailers included
  bool sawLocation = false;                         // in the current response's headers
  bool everyStatusBody = false;  // fetch the body of any final status, not only of 200
  bool bodyRefused = false;      // the final status is not 200, so its body is not fetched
  std::optional<HttpError> abortReason{};  // why a callback stopped the transfer
};

bool IsBlank(std::string_view text) { return text.find_first_not_of(" \t\r\n") == text.npos; }

// A body of announced length is received into one block of that size rather than one grown
// step by step; without room for it, it grows as it arrives.
void ReserveAnnouncedBody(Transfer& t) {
  curl_off_t length = -1;
  Curl()->easyGetinfo(t.handle, CURLINFO_CONTENT_LENGTH_DOWNLOAD_T, &length);
  if (length <= 0 || static_cast<uint64_t>(length) > t.limits.maxBodyBytes) return;
  try {
    t.result.body.reserve(static_cast<size_t>(length));
  } catch (const std::bad_alloc&) {
  }
}

size_t OnHeader(char* data, size_t size, size_t count, void* userdata) {
  auto& t = *static_cast<Transfer*>(userdata);
  const std::string_view line(data, size * count);
  t.lastActivity = Clock::now();
  // libcurl keeps every header line, the trailers after a chunked body too, without a bound.
  t.headerBytes += line.size();
  if (t.headerBytes > t.limits.maxHeaderBytes) {
    t.abortReason =
        HttpError(HttpFailure::kTooLarge,
                  "headers longer than " + std::to_string(t.limits.maxHeaderBytes) + " bytes");
    return 0;
  }
  if (line.starts_with("HTTP/")) {
    t.sawLocation = false;
  } else if (StartsWithNoCase(line, "Location:")) {
    t.sawLocation = !IsBlank(line.substr(9));
  } else if (IsBlank(line)) {
    // The end of a response's headers.
    long code = 0;
    Curl()->easyGetinfo(t.handle, CURLINFO_RESPONSE_CODE, &code);
    const bool interim = code < 200;
    // libcurl would follow any 3xx with a Location; a 300 or a 304 ends here, as an answer.
    const bool redirected = IsRedirect(code) && t.sawLocation;
    if (!interim && !redirected) {
      t.result.status = static_cast<int>(code);
      if (code != 200 && !t.everyStatusBody) {
        t.bodyRefused = true;
        return 0;
      }
      ReserveAnnouncedBody(t);
    }
  }
  return line.size();
}

size_t OnBody(char* data, size_t size, size_t count, void* userdata) {
  auto& t = *static_cast<Transfer*>(userdata);
  const size_t n = size * count;
  t.lastActivity = Clock::now();
  if (t.result.body.size() + n > t.limits.maxBodyBytes) {
    t.abortReason =
        HttpError(HttpFailure::kTooLarge,
                  "body longer than " + std::to_string(t.limits.maxBodyBytes) + " bytes");
    return 0;
  }
  t.result.body.append(data, n);
  return n;
}

int OnConnected(void* userdata, char*, char*, int, int) {
  static_cast<Transfer*>(userdata)->lastActivity = Clock::now();
  return CURL_PREREQFUNC_OK;
}

// libcurl's low-speed limit would also end a slow but steady answer; the platform's client
// gives up only when nothing arrives at all.
int OnProgress(void* userdata, curl_off_t, curl_off_t, curl_off_t, curl_off_t) {
  auto& t = *static_cast<Transfer*>(userdata);
  if (t.lastActivity && Clock::now() - *t.lastActivity > t.limits.idle) {
    t.abortReason =
        HttpError(HttpFailure::kTimeout,
                  "nothing received for " + std::to_string(t.limits.idle.count()) + " ms");
    return 1;
  }
  return 0;
}

int OnResolverStart(void*, void*, void* userdata) {
  if (!NameResolutionFails()) return 0;
  static_cast<Transfer*>(userdata)->abortReason =
      HttpError(HttpFailure::kName, "the name lookup failed (as the test asked)");
  return 1;
}

HttpFailure KindOf(CURLcode code) {
  switch (code) {
    case CURLE_COULDNT_RESOLVE_HOST:
    case CURLE_COULDNT_RESOLVE_PROXY:
      return HttpFailure::kName;
    case CURLE_COULDNT_CONNECT:
    case CURLE_RECV_ERROR:
    case CURLE_SEND_ERROR:
    case CURLE_PARTIAL_FILE:
    case CURLE_GOT_NOTHING:
      return HttpFailure::kConnection;
    case CURLE_PEER_FAILED_VERIFICATION:
    case CURLE_SSL_CONNECT_ERROR:
    case CURLE_SSL_CERTPROBLEM:
    case CURLE_SSL_CACERT_BADFILE:
      return HttpFailure::kCertificate;
    case CURLE_OPERATION_TIMEDOUT:
      return HttpFailure::kTimeout;
    default:
      return HttpFailure::kOther;
  }
}

template <typename T>
void SetOption(CURL* handle, CURLoption option, T value, CURLcode& code) {
  if (code == CURLE_OK) code = Curl()->easySetopt(handle, option, value);
}

// libcurl follows no redirect here: each one that ended an exchange is checked first and then
// asked for on the same handle, within what is left of the overall time.
CURLcode FollowGuardedRedirects(Transfer& t, const std::string& url, Clock::time_point deadline,
                                CURLcode code) {
  for (int redirects = 0; code == CURLE_OK && t.result.status == 0; ++redirects) {
    // A redirect with a Location was no answer (OnHeader); libcurl resolved where it leads.
    char* location = nullptr;
    Curl()->easyGetinfo(t.handle, CURLINFO_REDIRECT_URL, &location);
    if (location == nullptr) {
      t.result.failure = HttpError(HttpFailure::kOther, "a redirect to no address");
      break;
    }
    const std::string next = location;
    if (redirects == kMaxRedirects) {
      t.result.failure = HttpError(HttpFailure::kOther, "too many redirects");
      break;
    }
    if (auto refused = GuardedRedirectRefusal(url, next)) {
      t.result.failure = std::move(refused);
      break;
    }
    const auto left =
        std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
    t.result.body.clear();  // the redirect's own
    SetOption(t.handle, CURLOPT_URL, next.c_str(), code);
    SetOption(t.handle, CURLOPT_TIMEOUT_MS, std::max<long>(1, static_cast<long>(left.count())),
              code);
    if (code == CURLE_OK) code = Curl()->easyPerform(t.handle);
  }
  return code;
}

}  // namespace

TransferResult PerformGet(const std::string& url, const std::vector<std::string>& headerLines,
                          bool everyStatusBody, bool guardedRedirects) {
  TransferResult failed;
  const CurlLibrary* curl = Curl();
  if (curl == nullptr) {
    failed.failure = HttpError(HttpFailure::kOther, "libcurl could not be loaded or initialised");
    return failed;
  }
  const EasyHandle handle(curl->easyInit());
  HeaderList headers;
  bool listed = true;
  for (const std::string& line : headerLines) {
    curl_slist* head = curl->slistAppend(headers.get(), line.c_str());  // the list's head
    listed = head != nullptr;
    if (!listed) break;
    if (!headers) headers.reset(head);
  }
  if (!handle || !listed) {
    failed.failure = HttpError(HttpFailure::kOther, "out of memory");
    return failed;
  }

  CURL* h = handle.get();
  Transfer t{.handle = h, .limits = CurrentLimits(), .everyStatusBody = everyStatusBody};
  char errorText[CURL_ERROR_SIZE] = "";
  CURLcode code = CURLE_OK;
  SetOption(h, CURLOPT_URL, url.c_str(), code);
  SetOption(h, CURLOPT_HTTPGET, 1L, code);
  SetOption(h, CURLOPT_HTTPHEADER, headers.get(), code);
  SetOption(h, CURLOPT_PROTOCOLS_STR, "http,https", code);
  SetOption(h, CURLOPT_FOLLOWLOCATION, guardedRedirects ? 0L : 1L, code);
  SetOption(h, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirects), code);
  SetOption(h, CURLOPT_REDIR_PROTOCOLS_STR, "http,https", code);
  SetOption(h, CURLOPT_NOSIGNAL, 1L, code);  // other threads may be running
  SetOption(h, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(t.limits.connect.count()), code);
  SetOption(h, CURLOPT_TIMEOUT_MS, static_cast<long>(t.limits.total.count()), code);
  SetOption(h, CURLOPT_ERRORBUFFER, errorText, code);
  SetOption(h, CURLOPT_HEADERFUNCTION, OnHeader, code);
  SetOption(h, CURLOPT_HEADERDATA, &t, code);
  SetOption(h, CURLOPT_WRITEFUNCTION, OnBody, code);
  SetOption(h, CURLOPT_WRITEDATA, &t, code);
  SetOption(h, CURLOPT_PREREQFUNCTION, OnConnected, code);
  SetOption(h, CURLOPT_PREREQDATA, &t, code);
  SetOption(h, CURLOPT_XFERINFOFUNCTION, OnProgress, code);
  SetOption(h, CURLOPT_XFERINFODATA, &t, code);
  SetOption(h, CURLOPT_NOPROGRESS, 0L, code);
  SetOption(h, CURLOPT_RESOLVER_START_FUNCTION, OnResolverStart, code);
  SetOption(h, CURLOPT_RESOLVER_START_DATA, &t, code);
#ifdef KOBANU_HTTP_TEST_CA
  const std::string caFile = TrustedCaFile();
  if (!caFile.empty()) {
    SetOption(h, CURLOPT_CAINFO, caFile.c_str(), code);
    SetOption(h, CURLOPT_CAPATH, static_cast<const char*>(nullptr), code);
  }
#endif
  const Clock::time_point deadline = Clock::now() + t.limits.total;
  if (code == CURLE_OK) code = curl->easyPerform(h);
  if (guardedRedirects) code = FollowGuardedRedirects(t, url, deadline, code);

  if (code != CURLE_OK && !t.bodyRefused) {
    t.result.failure =
        t.abortReason
            ? *t.abortReason
            : HttpError(KindOf(code), errorText[0] != '\0' ? errorText : curl->easyStrerror(code));
  }
  return std::move(t.result);
}

}  // namespace platform::http
