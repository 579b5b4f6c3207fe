#pragma once

#include <sys/types.h>

#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace testing_support {

// The stand-in mall (tests/support/standin_mall) running as a child process on a loopback port
// (of the system's choosing when port is 0), for as long as this object lives.
class StandInMall {
 public:
  // Throws std::runtime_error when the stand-in does not start. With a tlsDir, it also serves
  // the IchibaItem/Search service over TLS with the certificates it makes there (TlsPort, CaFile).
  explicit StandInMall(int port = 0, const std::string& tlsDir = "");
  ~StandInMall();
  StandInMall(const StandInMall&) = delete;
  StandInMall& operator=(const StandInMall&) = delete;

  // "127.0.0.1:PORT", as the service hosts take it.
  const std::string& host() const { return host_; }
  int port() const { return port_; }
  // "http://127.0.0.1:PORT" followed by pathAndQuery.
  std::string Url(std::string_view pathAndQuery) const;

  // The port of the TLS server with the certificate of a kind ("good", "wrong-host", "expired",
  // "self-signed"); 0 without TLS.
  int TlsPort(std::string_view kind);
  // The certificate authority that signed the good certificate.
  std::string CaFile() const { return tlsDir_ + "/ca.pem"; }

  // Switches how the IchibaItem/Search service behaves, e.g. "deny=ip" or "rate=strict" (the modes
  // of standin_mall/ichiba_search.h). Throws std::runtime_error when the stand-in refuses.
  void SetServiceMode(std::string_view query);

  // The request lines received so far, oldest first, such as "GET /item/x HTTP/1.1". Every
  // request that has been answered is among them.
  std::vector<std::string> RequestLines() { return PrintedLines("REQUEST "); }
  // The requests that took an armed fault, oldest first, as "MODE TARGET". A request is listed
  // here once it has the fault, which its request line alone does not tell.
  std::vector<std::string> FaultedRequests() { return PrintedLines("FAULT "); }

  // Makes the next item search or search page misbehave, e.g. "mode=status&code=404" (the modes
  // are listed in standin_mall/faults.h). Throws std::runtime_error when the stand-in refuses.
  void ArmFault(std::string_view query);

 private:
  // What the stand-in printed on lines starting with prefix, without the prefix.
  std::vector<std::string> PrintedLines(std::string_view prefix);
  void Stop();
  void Control(std::string_view path, std::string_view query);
  void DrainOutput();  // the caller holds mutex_
  void PumpOutput();

  pid_t pid_ = -1;
  int output_ = -1;  // the stand-in's standard output
  int input_ = -1;   // its standard input: it exits when this closes
  int port_ = 0;
  std::string host_;
  std::string tlsDir_;

  std::mutex mutex_;
  std::string pending_;             // an incomplete last line
  std::vector<std::string> lines_;  // everything it printed
  bool ended_ = false;
  std::thread reader_;  // keeps the pipe from filling up
};

// An http URL of a loopback port where nothing listens: connections to it are refused.
std::string UnreachableUrl();

}  // namespace testing_support
