// What misbehaving servers do to the page fetch and the three service requests: each case ends
// with its outcome, within the HTTP layer's limits (shortened here so the tests stay quick).
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <memory>
#include <vector>

#include <gtest/gtest.h>

#include "platform/http/http_request.h"
#include "service/described/clear_hit_table.h"
#include "service/described/described_queries.h"
#include "service/fetch_page.h"
#include "service/router/service_requests.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/scoped_override.h"
#include "support/settings_sandbox.h"
#include "support/standin_mall.h"

namespace service {

namespace {

using testing_support::ScopedOverride;

using namespace std::chrono_literals;
using testing_support::StandInMall;

class HostileServer : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mall = std::make_unique<StandInMall>(); }
  static void TearDownTestSuite() { mall.reset(); }
  void SetUp() override {
    testing_support::ResetSettings();
    SetServiceHostsForTesting({mall->host(), mall->host()});
  }
  void TearDown() override { testing_support::ResetSettings(); }
  const ScopedOverride<platform::http::Limits> limits_{
      platform::http::SetLimitsForTesting, {.connect = 1s, .idle = 300ms, .total = 1500ms}};

  static inline std::unique_ptr<StandInMall> mall;
};

// A listening socket whose backlog is full and which never accepts: connecting to it never
// completes.
class FullBacklog {
 public:
  FullBacklog() {
    listener_ = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    bind(listener_, reinterpret_cast<sockaddr*>(&address), length);
    listen(listener_, 0);
    getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
    port_ = ntohs(address.sin_port);
    for (int i = 0; i < 8; ++i) {  // more than the queue holds
      const int client = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK, 0);
      connect(client, reinterpret_cast<sockaddr*>(&address), length);
      clients_.push_back(client);
    }
  }
  ~FullBacklog() {
    for (const int client : clients_) close(client);
    close(listener_);
  }
  int port() const { return port_; }

 private:
  int listener_ = -1;
  int port_ = 0;
  std::vector<int> clients_;
};

TEST_F(HostileServer, AConnectThatNeverCompletesIsGivenUp) {
  FullBacklog server;
  std::string target = "left over";
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FetchPage(target, "http://127.0.0.1:" + std::to_string(server.port()) + "/"), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(target, "");
}

TEST_F(HostileServer, ARedirectToAnotherLoopbackPortIsFollowed) {
  StandInMall other;
  std::string target;
  const std::string to = "http%3A%2F%2F" + other.host() + "%2Ffault%2Flines%3Fcount%3D3";
  EXPECT_EQ(FetchPage(target, mall->Url("/fault/redirect?code=302&to=" + to)), 0);
  EXPECT_EQ(target, "line 1\nline 2\nline 3\nend");
  EXPECT_EQ(other.RequestLines().back(), "GET /fault/lines?count=3 HTTP/1.1");
}

// libcurl keeps every trailer line it is sent; the fetch gives up after a mebibyte of header
// lines, as after too long a body.
TEST_F(HostileServer, ATrailerFloodIsCutOffAfterAMebibyte) {
  // The overall limit must not end it.
  const ScopedOverride idleOnly(platform::http::SetLimitsForTesting, {.idle = 300ms});
  std::string target;
  const auto start = std::chrono::steady_clock::now();
  EXPECT_EQ(FetchPage(target, mall->Url("/fault/trailer-flood?count=3")), -1);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 5s);
  EXPECT_EQ(target, "line 1\nline 2\nline 3\n");  // the lines before the break
  EXPECT_EQ(FetchPage(target, mall->Url("/fault/trailer-flood?count=3&bytes=65536")), 0);
  EXPECT_EQ(target, "line 1\nline 2\nline 3\nend");
}

struct QueryCase {
  const char* fault;  // armed for the next service answer
  int countResult, count;
  int listResult;
  int salesResult, state;
};

// Every fault ends as a failed fetch (-1), or as an answer that reads as nothing.
const QueryCase kQueryCases[] = {
    {"mode=status&code=204", -1, -1, -1, 0, -1},
    {"mode=status&code=404", -1, -1, -1, 0, -1},
    {"mode=status&code=500", -1, -1, -1, 0, -1},
    {"mode=status&code=503", -1, -1, -1, 0, -1},
    {"mode=redirect-loop", -1, -1, -1, -1, 0},
    {"mode=redirect&count=3", 0, 38, 0, 0, 1},      // followed to the proper answer
    {"mode=redirect&code=300", -1, -1, -1, 0, -1},  // an answer, not followed
    {"mode=redirect&code=304", -1, -1, -1, 0, -1},
    {"mode=no-headers", -1, -1, -1, -1, 0},
    {"mode=delay-headers&ms=60000", -1, -1, -1, -1, 0},
    {"mode=stall-body&ms=60000&at=700", -1, -1, -1, -1, 0},
    {"mode=trickle&ms=50", -1, -1, -1, -1, 0},
    {"mode=close-mid-body&at=700", -1, -1, -1, -1, 0},
    {"mode=reset-mid-body&at=700", -1, -1, -1, -1, 0},
    {"mode=bad-chunk-size&at=700", -1, -1, -1, -1, 0},
    {"mode=trailer-flood", -1, -1, -1, -1, 0},
    {"mode=content-length-larger", -1, -1, -1, -1, 0},
    {"mode=chunked&size=13", 0, 38, 0, 0, 1},
    {"mode=one-line&pad=4990", 0, 38, 0, 0, 1},  // markers across the 4,999-byte pieces
};

TEST_F(HostileServer, TheQueriesEndAsTheirReadersSay) {
  WatchSettings& settings = watchState.settings;
  settings.scanKeyword = testing_support::kWatch;
  for (const QueryCase& c : kQueryCases) {
    SCOPED_TRACE(c.fault);
    const auto start = std::chrono::steady_clock::now();
    int count = 7, state = 7;
    mall->ArmFault(c.fault);
    EXPECT_EQ(QueryHitCount(count), c.countResult);
    EXPECT_EQ(count, c.count);
    ClearHitTable();
    mall->ArmFault(c.fault);
    EXPECT_EQ(QueryHitList(), c.listResult);
    EXPECT_EQ(watchState.hitListRows, c.listResult == 0 ? 30 : 0);
    mall->ArmFault(c.fault);
    EXPECT_EQ(QuerySalesStatus(state), c.salesResult);
    EXPECT_EQ(state, c.state);
    EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
  }
}

}  // namespace

}  // namespace service
