#include "platform/http/http_request.h"

#include <windows.h>
#include <wininet.h>

#include <algorithm>
#include <atomic>
#include <condition_variable>
#include <cstdlib>
#include <mutex>
#include <optional>
#include <thread>
#include <utility>

#include "platform/http/guarded_redirect.h"
#include "platform/http/http_limits.h"

// The system's HTTP client (WinINet), with the same bounds as the Linux build's: time-outs set
// as WinINet options, the overall limit by a watchdog that closes the request, the body cap by a
// byte count, and redirects followed here so that they lead only to http or https.
namespace platform::http {

namespace {

constexpr DWORD kContext = 1;

HttpFailure KindOf(DWORD error) {
  switch (error) {
    case ERROR_INTERNET_NAME_NOT_RESOLVED:
      return HttpFailure::kName;
    case ERROR_INTERNET_CANNOT_CONNECT:
    case ERROR_INTERNET_CONNECTION_ABORTED:
    case ERROR_INTERNET_CONNECTION_RESET:
      return HttpFailure::kConnection;
    case ERROR_INTERNET_INVALID_CA:
    case ERROR_INTERNET_SEC_CERT_CN_INVALID:
    case ERROR_INTERNET_SEC_CERT_DATE_INVALID:
    case ERROR_INTERNET_SEC_CERT_ERRORS:
    case ERROR_INTERNET_SEC_CERT_REVOKED:
    case ERROR_INTERNET_SECURITY_CHANNEL_ERROR:
      return HttpFailure::kCertificate;
    case ERROR_INTERNET_TIMEOUT:
      return HttpFailure::kTimeout;
    default:
      return HttpFailure::kOther;
  }
}

// The failure of a WinINet step, as GetLastError tells it.
HttpError StepFailure(const char* step) {
  const DWORD error = GetLastError();
  return HttpError(KindOf(error), std::string(step) + " failed, error " + std::to_string(error));
}

[[noreturn]] void Fail(const char* step) { throw StepFailure(step); }

void CloseIfOpen(HINTERNET& handle) {
  if (handle != nullptr) InternetCloseHandle(handle);
  handle = nullptr;
}

struct Target {
  bool secure = false;
  std::string host;
  INTERNET_PORT port = 0;
  std::string object;  // path and query
};

// AfxParseURL's split, through the system's own parser; only http and https are fetched.
Target Split(const std::string& url) {
  char host[INTERNET_MAX_HOST_NAME_LENGTH] = {};
  std::string path(url.size() + 1, '\0');
  std::string extra(url.size() + 1, '\0');
  URL_COMPONENTSA parts{};
  parts.dwStructSize = sizeof parts;
  parts.lpszHostName = host;
  parts.dwHostNameLength = sizeof host;
  parts.lpszUrlPath = path.data();
  parts.dwUrlPathLength = static_cast<DWORD>(path.size());
  parts.lpszExtraInfo = extra.data();
  parts.dwExtraInfoLength = static_cast<DWORD>(extra.size());
  if (!InternetCrackUrlA(url.c_str(), static_cast<DWORD>(url.size()), 0, &parts)) {
    throw HttpError(HttpFailure::kOther, "not an address: " + url);
  }
  if (parts.nScheme != INTERNET_SCHEME_HTTP && parts.nScheme != INTERNET_SCHEME_HTTPS) {
    throw HttpError(HttpFailure::kOther, "neither http nor https: " + url);
  }
  Target target{.secure = parts.nScheme == INTERNET_SCHEME_HTTPS,
                .host = host,
                .port = parts.nPort,
                .object = std::string(path.c_str()) + extra.c_str()};
  if (target.object.empty()) target.object = "/";
  return target;
}

DWORD QueryNumber(HINTERNET request, DWORD what) {
  DWORD value = 0;
  DWORD size = sizeof value;
  if (!HttpQueryInfoA(request, what | HTTP_QUERY_FLAG_NUMBER, &value, &size, nullptr)) return 0;
  return value;
}

std::string QueryLocation(HINTERNET request) {
  char location[INTERNET_MAX_URL_LENGTH] = {};
  DWORD size = sizeof location - 1;
  if (!HttpQueryInfoA(request, HTTP_QUERY_LOCATION, location, &size, nullptr)) return {};
  return location;
}

}  // namespace

struct HttpRequest::Exchange {
  Limits limits = CurrentLimits();
  std::string url;
  // Added to every request of a redirect chain. The session's agent name comes first, as the
  // framework's request carries it from the start: a later User-Agent line is not added.
  std::string headerLines;
  HINTERNET session = nullptr;
  HINTERNET connection = nullptr;
  HINTERNET request = nullptr;  // closed by the watchdog when the overall limit passes
  int status = 0;
  bool everyStatusBody = false;   // read the body of any final status, not only of 200
  bool guardedRedirects = false;  // only to https on the first address's host

  std::string pending;              // received, not yet handed out
  size_t received = 0;              // body bytes so far
  std::optional<size_t> announced;  // the Content-Length, when the answer gives one
  bool ended = false;
  std::optional<HttpError> failure;  // why the body broke off

  std::mutex mutex;  // guards request against the watchdog
  std::condition_variable finished;
  bool done = false;
  bool expired = false;
  std::thread watchdog;

  ~Exchange() {
    {
      std::lock_guard lock(mutex);
      done = true;
      CloseIfOpen(request);
    }
    finished.notify_all();
    if (watchdog.joinable()) watchdog.join();
    CloseIfOpen(connection);
    CloseIfOpen(session);
  }

  void SetTimeouts(HINTERNET handle) {
    DWORD connect = static_cast<DWORD>(limits.connect.count());
    DWORD idle = static_cast<DWORD>(limits.idle.count());
    InternetSetOptionA(handle, INTERNET_OPTION_CONNECT_TIMEOUT, &connect, sizeof connect);
    InternetSetOptionA(handle, INTERNET_OPTION_SEND_TIMEOUT, &idle, sizeof idle);
    InternetSetOptionA(handle, INTERNET_OPTION_RECEIVE_TIMEOUT, &idle, sizeof idle);
  }

  void StartWatchdog() {
    if (watchdog.joinable()) return;
    watchdog = std::thread([this] {
      std::unique_lock lock(mutex);
      if (finished.wait_for(lock, limits.total, [this] { return done; })) return;
      // Closing a handle from another thread ends the call blocked on it.
      expired = true;
      CloseIfOpen(request);
    });
  }

  // The handle to work on, or HttpError once the overall limit has passed.
  HINTERNET Request() {
    std::lock_guard lock(mutex);
    if (expired) {
      throw HttpError(HttpFailure::kTimeout,
                      "no complete answer within " + std::to_string(limits.total.count()) + " ms");
    }
    return request;
  }

  void Open(const std::string& address) {
    const Target target = Split(address);
    if (NameResolutionFails()) throw HttpError(HttpFailure::kName, "cannot resolve " + target.host);
    {
      std::lock_guard lock(mutex);
      CloseIfOpen(request);
    }
    CloseIfOpen(connection);
    connection = InternetConnectA(session, target.host.c_str(), target.port, nullptr, nullptr,
                                  INTERNET_SERVICE_HTTP, 0, kContext);
    if (connection == nullptr) Fail("InternetConnect");
    const DWORD flags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_AUTO_REDIRECT |
                        INTERNET_FLAG_NO_UI | (target.secure ? INTERNET_FLAG_SECURE : 0);
    HINTERNET opened = HttpOpenRequestA(connection, "GET", target.object.c_str(), nullptr, nullptr,
                                        nullptr, flags, kContext);
    if (opened == nullptr) Fail("HttpOpenRequest");
    SetTimeouts(opened);
    // The result is not examined: a line whose name is present already is simply not added.
    HttpAddRequestHeadersA(opened, headerLines.c_str(), static_cast<DWORD>(-1),
                           HTTP_ADDREQ_FLAG_ADD_IF_NEW);
    std::lock_guard lock(mutex);
    request = opened;
  }

  // Fills pending from the body; false at its end or after a failure.
  bool Receive() {
    // Only what has arrived: a read of more would wait for all of it, and a time-out would
    // then lose the part that came.
    char chunk[8192];
    DWORD available = 0;
    DWORD count = 0;
    if (!InternetQueryDataAvailable(Request(), &available, 0, 0) ||
        (available > 0 &&
         !InternetReadFile(Request(), chunk, std::min<DWORD>(available, sizeof chunk), &count))) {
      Request();  // the overall limit, when that is what ended the read
      failure = StepFailure("reading the body");
      return false;
    }
    if (count == 0) {
      // WinINet reports a connection that closes early as the end of the body.
      if (announced && received < *announced) {
        failure = HttpError(HttpFailure::kConnection, "the connection closed after " +
                                                          std::to_string(received) + " of " +
                                                          std::to_string(*announced) + " bytes");
        return false;
      }
      ended = true;
      return false;
    }
    // Nothing beyond the announced length belongs to the body.
    if (announced) count = static_cast<DWORD>(std::min<size_t>(count, *announced - received));
    received += count;
    if (announced && received == *announced) ended = true;
    if (received > limits.maxBodyBytes) {
      failure = HttpError(HttpFailure::kTooLarge,
                          "body longer than " + std::to_string(limits.maxBodyBytes) + " bytes");
      return false;
    }
    pending.append(chunk, count);
    return true;
  }
};

HttpRequest::HttpRequest(std::string_view agentName, std::string url)
    : exchange_(std::make_unique<Exchange>()) {
  Exchange& e = *exchange_;
  e.url = std::move(url);
  e.headerLines = "User-Agent: " + std::string(agentName) + "\r\n";
  e.session = InternetOpenA(std::string(agentName).c_str(), INTERNET_OPEN_TYPE_PRECONFIG, nullptr,
                            nullptr, 0);
  if (e.session == nullptr) Fail("InternetOpen");
  e.SetTimeouts(e.session);
}

HttpRequest::~HttpRequest() = default;

// Kept until the request is opened in SendRequest, which adds them with add-if-new semantics.
void HttpRequest::AddRequestHeaders(std::string_view headerLines) {
  exchange_->headerLines.append(headerLines);
}

void HttpRequest::FetchBodyOfEveryStatus() { exchange_->everyStatusBody = true; }

void HttpRequest::FollowRedirectsOnlyToHttpsOfTheSameHost() { exchange_->guardedRedirects = true; }

void HttpRequest::SendRequest() {
  Exchange& e = *exchange_;
  std::string address = e.url;
  e.StartWatchdog();
  e.Open(address);
  for (int redirects = 0;; ++redirects) {
    if (!HttpSendRequestA(e.Request(), nullptr, 0, nullptr, 0)) {
      e.Request();
      Fail("HttpSendRequest");
    }
    const DWORD status = QueryNumber(e.Request(), HTTP_QUERY_STATUS_CODE);
    const std::string location = IsRedirect(status) ? QueryLocation(e.Request()) : "";
    if (location.empty()) {
      if (status == 0) throw HttpError(HttpFailure::kOther, "no status in the answer");
      e.status = static_cast<int>(status);
      char length[32] = {};
      DWORD size = sizeof length - 1;
      if (HttpQueryInfoA(e.Request(), HTTP_QUERY_CONTENT_LENGTH, length, &size, nullptr)) {
        e.announced = std::strtoull(length, nullptr, 10);
      }
      e.ended = e.announced == 0u;
      return;
    }
    if (redirects == kMaxRedirects) throw HttpError(HttpFailure::kOther, "too many redirects");
    char next[INTERNET_MAX_URL_LENGTH] = {};
    DWORD size = sizeof next;
    if (!InternetCombineUrlA(address.c_str(), location.c_str(), next, &size, ICU_NO_ENCODE)) {
      throw HttpError(HttpFailure::kOther, "a redirect to no address: " + location);
    }
    address = next;
    if (e.guardedRedirects) {
      if (auto refused = GuardedRedirectRefusal(e.url, address)) throw *refused;
    }
    e.Open(address);  // refuses anything but http and https
  }
}

int HttpRequest::QueryInfoStatusCode() const { return exchange_->status; }

std::string HttpRequest::ReadRest() {
  Exchange& e = *exchange_;
  if (e.status != 200 && !e.everyStatusBody) return {};
  try {
    while (!e.ended && !e.failure && e.Receive()) {
    }
  } catch (const HttpError& error) {  // the overall limit: the lines before it come first
    e.failure = error;
  }
  if (e.failure) {
    // After a break only whole lines count: the last one may be cut anywhere.
    const size_t lastLineEnd = e.pending.rfind('\n');
    e.pending.resize(lastLineEnd == std::string::npos ? 0 : lastLineEnd + 1);
    if (e.pending.empty()) throw *e.failure;
  }
  return std::exchange(e.pending, {});
}

}  // namespace platform::http
