#include <cstdlib>
#include <fstream>
#include <stdexcept>

#include "platform/http/http_request.h"
#include "support/standin_mall.h"

// The Windows build's tests meet the Linux build's stand-in mall, which scripts/test-windows
// starts on loopback before them: KOBANU_TEST_MALL_HOST names it ("127.0.0.1:PORT") and
// KOBANU_TEST_MALL_LOG its output (a Windows path).
namespace testing_support {

namespace {

std::string Variable(const char* name) {
  const char* value = std::getenv(name);
  if (value == nullptr || *value == '\0') {
    throw std::runtime_error(std::string(name) +
                             " is not set: run the Windows tests through scripts/test-windows");
  }
  return value;
}

}  // namespace

// There is one stand-in, on the port the script chose, without TLS; a test cannot ask for
// another.
StandInMall::StandInMall(int port, const std::string& tlsDir)
    : host_(Variable("KOBANU_TEST_MALL_HOST")) {
  port_ = std::atoi(host_.substr(host_.find(':') + 1).c_str());
  if ((port != 0 && port != port_) || !tlsDir.empty()) {
    throw std::runtime_error("the Windows tests share the stand-in that scripts/test-windows runs");
  }
}

StandInMall::~StandInMall() = default;

std::string StandInMall::Url(std::string_view pathAndQuery) const {
  return "http://" + host_ + std::string(pathAndQuery);
}

std::vector<std::string> StandInMall::PrintedLines(std::string_view prefix) {
  // The stand-in prints a request line before it answers, so whatever has been answered is in
  // its output already.
  std::ifstream output(Variable("KOBANU_TEST_MALL_LOG"), std::ios::binary);
  std::vector<std::string> found;
  for (std::string line; std::getline(output, line);) {
    if (line.starts_with(prefix)) found.push_back(line.substr(prefix.size()));
  }
  return found;
}

int StandInMall::TlsPort(std::string_view) { return 0; }

void StandInMall::ArmFault(std::string_view query) { Control("/control/fault?", query); }

void StandInMall::SetServiceMode(std::string_view query) { Control("/control/service?", query); }

void StandInMall::Control(std::string_view path, std::string_view query) {
  platform::http::HttpRequest request("test", Url(std::string(path) + std::string(query)));
  request.SendRequest();
  if (request.QueryInfoStatusCode() != 200) {
    throw std::runtime_error("the stand-in mall refused " + std::string(path) + std::string(query));
  }
}

std::string UnreachableUrl() {
  // Port 1 of loopback: nothing listens there, so connections are refused at once.
  return "http://127.0.0.1:1/";
}

}  // namespace testing_support
