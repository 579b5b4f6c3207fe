#include "platform/http/http_request.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "support/standin_mall.h"

namespace {

using platform::http::HttpError;
using platform::http::HttpRequest;
using testing_support::StandInMall;

class HttpRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mall = std::make_unique<StandInMall>(); }
  static void TearDownTestSuite() { mall.reset(); }

  static std::vector<std::string> Pieces(HttpRequest& request, size_t maxLength) {
    std::vector<std::string> pieces;
    std::vector<char> buffer(maxLength);
    while (const char* piece = request.ReadString(buffer.data(), maxLength)) {
      pieces.emplace_back(piece);
    }
    return pieces;
  }

  static inline std::unique_ptr<StandInMall> mall;
};

TEST_F(HttpRequestTest, ReadsLinesWithTheirEndsInPiecesOfAtMostMaxLessOne) {
  HttpRequest request("test", mall->Url("/fault/lines?count=3"));
  request.SendRequest();
  ASSERT_EQ(request.QueryInfoStatusCode(), 200);
  EXPECT_EQ(Pieces(request, 5),
            (std::vector<std::string>{"line", " 1\n", "line", " 2\n", "line", " 3\n", "end"}));
  char buffer[5];
  EXPECT_EQ(request.ReadString(buffer, sizeof buffer), nullptr);  // and stays at the end
}

TEST_F(HttpRequestTest, AfterABreakTheCompleteLinesComeFirstThenTheFailure) {
  HttpRequest request("test", mall->Url("/fault/close-mid-body?count=10&at=20"));
  request.SendRequest();
  char buffer[100];
  EXPECT_STREQ(request.ReadString(buffer, sizeof buffer), "line 1\n");
  EXPECT_STREQ(request.ReadString(buffer, sizeof buffer), "line 2\n");
  EXPECT_THROW(request.ReadString(buffer, sizeof buffer), HttpError);
  EXPECT_THROW(request.ReadString(buffer, sizeof buffer), HttpError);
}

TEST_F(HttpRequestTest, SendingFailsWhenNoAnswerComes) {
  HttpRequest request("test", testing_support::UnreachableUrl());
  EXPECT_THROW(request.SendRequest(), HttpError);
  HttpRequest notHttp("test", "file:///etc/passwd");
  EXPECT_THROW(notHttp.SendRequest(), HttpError);
}

TEST_F(HttpRequestTest, TheBodyOfAnotherStatusIsNotRead) {
  HttpRequest request("test", mall->Url("/fault/status/404"));
  request.SendRequest();
  EXPECT_EQ(request.QueryInfoStatusCode(), 404);
  char buffer[100];
  EXPECT_EQ(request.ReadString(buffer, sizeof buffer), nullptr);
}

TEST_F(HttpRequestTest, AddsOnlyHeadersOfNewNames) {
  HttpRequest request("agent 1", mall->Url("/echo/headers"));
  request.AddRequestHeaders(
      "accept: a/b\r\nX-One: 1\r\nuser-agent: other\r\nx-one: 2\r\nno colon\r\n");
  request.SendRequest();
  std::string body;
  for (const std::string& piece : Pieces(request, 100)) body += piece;
  EXPECT_NE(body.find("accept: a/b\n"), body.npos) << body;
  EXPECT_NE(body.find("X-One: 1\n"), body.npos) << body;
  EXPECT_NE(body.find("User-Agent: agent 1\n"), body.npos) << body;
  EXPECT_EQ(body.find("other"), body.npos) << body;
  EXPECT_EQ(body.find(": 2\n"), body.npos) << body;
  EXPECT_EQ(body.find("no colon"), body.npos) << body;
}

}  // namespace
