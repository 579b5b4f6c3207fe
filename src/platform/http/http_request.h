#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>

// Our stand-in for the platform's HTTP client (session, connection and request file), reduced
// to what the page fetch uses: one GET of an absolute URL, request headers added only where the
// request has none of that name yet, the status code and the body.
namespace platform::http {

// What kind of failure ended an exchange, so that a caller can say what to do about it.
enum class HttpFailure {
  kName,         // the host's name did not resolve
  kConnection,   // no connection could be made, or it broke off
  kCertificate,  // the server's certificate was refused
  kTimeout,      // one of the limits of time below passed
  kTooLarge,     // the body or the header lines passed their limit below
  kRedirect,     // a redirect that would take a secret off https or off the host
  kOther,        // a bad address, an answer that breaks the protocol, no memory ...
};

// Any failure of the layer, its kind and the platform's words for it.
class HttpError : public std::runtime_error {
 public:
  HttpError(HttpFailure kind, const std::string& what) : std::runtime_error(what), kind_(kind) {}
  HttpFailure kind() const { return kind_; }

 private:
  HttpFailure kind_;
};

// The bounds of every exchange. Like the platform's client, the layer bounds each step with
// defaults of its own, so that no server can hold a thread for ever or fill the memory.
struct Limits {
  std::chrono::milliseconds connect{60'000};  // to establish a connection
  std::chrono::milliseconds idle{30'000};     // without a received byte, once connected
  std::chrono::milliseconds total{120'000};   // for the whole exchange, redirects included
  std::size_t maxBodyBytes = 32u << 20;       // a longer body is a failure
  std::size_t maxHeaderBytes = 1u << 20;      // the same for all header lines, trailers included
};

// The test seams below replace a setting for the exchanges that start from now on and return the
// setting they replace (tests hold them in a ScopedOverride). Limits{} are the defaults.
Limits SetLimitsForTesting(const Limits& limits);

// While set, every host-name lookup fails before it is made (numeric addresses too), so that
// tests can see a resolution failure without sending a query anywhere.
bool SetNameResolutionFailsForTesting(bool fail);

#ifdef KOBANU_HTTP_TEST_CA
// Trusts the certificate authority in the PEM file at path, and no other, for https exchanges
// that start from now on; the empty path restores the system's authorities. Built only with the
// tests and the benchmarks: a release build trusts the system's authorities alone.
std::string SetTrustedCaFileForTesting(const std::string& path);
#endif

// One GET request, from opening to the end of its body.
class HttpRequest {
 public:
  // agentName is the session's agent name; it goes out as the request's User-Agent header.
  HttpRequest(std::string_view agentName, std::string url);
  ~HttpRequest();
  HttpRequest(const HttpRequest&) = delete;
  HttpRequest& operator=(const HttpRequest&) = delete;

  // Adds each "Name: value" line of a block (lines ended by CR LF) whose name the request does
  // not carry yet; names compare without regard to letter case.
  void AddRequestHeaders(std::string_view headerLines);

  // Fetches the body of every final status, not only of 200, for services that explain their
  // errors in it. Before SendRequest.
  void FetchBodyOfEveryStatus();

  // Follows a redirect only to https on the host of the request's own address: any other ends
  // the exchange with HttpFailure::kRedirect before anything is sent there. For requests that
  // carry a secret. Before SendRequest.
  void FollowRedirectsOnlyToHttpsOfTheSameHost();

  // Sends the request and receives the answer; redirects are followed. Throws HttpError when no
  // final status arrived. A failure while a 200 body arrives is reported by ReadRest instead,
  // after the lines that came before it. The body of any other status is not fetched.
  void SendRequest();

  // The final response's status code, after SendRequest.
  int QueryInfoStatusCode() const;

  // The rest of the body (of a 200 answer, or of any after FetchBodyOfEveryStatus) in one block,
  // its bytes unchanged: everything on the first call, empty at the end. When the transfer broke,
  // the block ends with the last complete line received before the break (an incomplete last line
  // is dropped) and the call after it throws HttpError.
  std::string ReadRest();

 private:
  struct Exchange;
  std::unique_ptr<Exchange> exchange_;
};

}  // namespace platform::http
