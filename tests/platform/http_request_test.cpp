#include "platform/http/http_request.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "support/standin_mall.h"

namespace {

using platform::http::HttpError;
using platform::http::HttpRequest;
using testing_support::StandInMall;

class HttpRequestTest : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { mall = std::make_unique<StandInMall>(); }
  static void TearDownTestSuite() { mall.reset(); }

  static inline std::unique_ptr<StandInMall> mall;
};

TEST_F(HttpRequestTest, HandsTheWholeBodyOutOnceThenNothing) {
  HttpRequest request("test", mall->Url("/fault/lines?count=3"));
  request.SendRequest();
  ASSERT_EQ(request.QueryInfoStatusCode(), 200);
  EXPECT_EQ(request.ReadRest(), "line 1\nline 2\nline 3\nend");
  EXPECT_EQ(request.ReadRest(), "");
  EXPECT_EQ(request.ReadRest(), "");  // and stays at the end
}

TEST_F(HttpRequestTest, AfterABreakTheCompleteLinesComeFirstThenTheFailure) {
  HttpRequest request("test", mall->Url("/fault/close-mid-body?count=10&at=20"));
  request.SendRequest();
  EXPECT_EQ(request.ReadRest(), "line 1\nline 2\n");
  EXPECT_THROW(request.ReadRest(), HttpError);
  EXPECT_THROW(request.ReadRest(), HttpError);
}

TEST_F(HttpRequestTest, ABreakBeforeTheFirstLineEndFailsAtOnce) {
  HttpRequest request("test", mall->Url("/fault/close-mid-body?count=10&at=3"));
  request.SendRequest();
  EXPECT_THROW(request.ReadRest(), HttpError);
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
  EXPECT_EQ(request.ReadRest(), "");
}

TEST_F(HttpRequestTest, AddsOnlyHeadersOfNewNames) {
  HttpRequest request("agent 1", mall->Url("/echo/headers"));
  request.AddRequestHeaders(
      "accept: a/b\r\nX-One: 1\r\nuser-agent: other\r\nx-one: 2\r\nno colon\r\n");
  request.SendRequest();
  const std::string body = request.ReadRest();
  EXPECT_NE(body.find("accept: a/b\n"), body.npos) << body;
  EXPECT_NE(body.find("X-One: 1\n"), body.npos) << body;
  EXPECT_NE(body.find("User-Agent: agent 1\n"), body.npos) << body;
  EXPECT_EQ(body.find("other"), body.npos) << body;
  EXPECT_EQ(body.find(": 2\n"), body.npos) << body;
  EXPECT_EQ(body.find("no colon"), body.npos) << body;
}

}  // namespace
