#include "service/check_outcome.h"

#include <string_view>
#include <utility>

namespace service {

namespace {

CheckOutcome Answer(Verdict verdict, int found, std::string url) {
  return {.verdict = verdict, .found = found, .url = std::move(url)};
}

bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

}  // namespace

bool CheckOutcome::Answered() const {
  switch (verdict) {
    case Verdict::kCounted:
    case Verdict::kListed:
    case Verdict::kSaleRead:
    case Verdict::kNothingBelowOneYen:
      return true;
    case Verdict::kFailed:
    case Verdict::kSkipped:
    case Verdict::kNotAsked:
      return false;
  }
  return false;
}

std::string AnswerText(int status, const std::string& body) {
  constexpr size_t kShownBytes = 1000;
  std::string text = std::to_string(status) + " " + body.substr(0, kShownBytes);
  if (body.size() > kShownBytes) text += " ...";
  return text;
}

CheckOutcome Counted(int count, std::string url, std::optional<CheapestMatch> cheapest) {
  CheckOutcome counted = Answer(Verdict::kCounted, count, std::move(url));
  if (count > 0) counted.cheapest = std::move(cheapest);
  return counted;
}

CheckOutcome Listed(int rows, std::string url) {
  return Answer(Verdict::kListed, rows, std::move(url));
}

CheckOutcome SaleRead(int state, SaleSource source, std::string url) {
  CheckOutcome read = Answer(Verdict::kSaleRead, state, std::move(url));
  read.saleSource = source;
  return read;
}

CheckOutcome NothingBelowOneYen() { return Answer(Verdict::kNothingBelowOneYen, 0, ""); }

CheckOutcome Failed(Failure failure, std::string url, std::string said, int status) {
  return {.verdict = Verdict::kFailed,
          .failure = failure,
          .status = status,
          .said = std::move(said),
          .url = std::move(url)};
}

CheckOutcome NetworkFailed(std::string url, const platform::http::HttpError& error) {
  if (error.kind() == platform::http::HttpFailure::kRedirect) {
    return Failed(Failure::kRedirectRefused, std::move(url), error.what());
  }
  CheckOutcome failed = Failed(Failure::kNetwork, std::move(url), error.what());
  failed.httpFailure = error.kind();
  return failed;
}

CheckOutcome KeywordNotSent(Failure failure, const KeywordProblem& problem) {
  CheckOutcome refused = Failed(failure, "", problem.word);
  refused.keywordProblem = problem;
  return refused;
}

CheckOutcome Skipped(Skip why) { return {.verdict = Verdict::kSkipped, .skip = why}; }

CheckOutcome NotAsked(const std::string& message) {
  return {.verdict = Verdict::kNotAsked, .said = message};
}

CheckOutcome NotSuccess(std::string url) {
  return Failed(Failure::kServiceError, std::move(url), "a status other than Success", 200);
}

Failure FailureOfAnswer(int status, const std::string& error, const std::string& description) {
  const std::string said = error + " " + description;
  if (Contains(said, "API Configuration not found")) return Failure::kRetiredVersion;
  if (Contains(said, "CLIENT_IP_NOT_ALLOWED")) return Failure::kIpNotAllowed;
  if (Contains(said, "HTTP_REFERRER_MISSING")) return Failure::kReferrerMissing;
  if (Contains(said, "HTTP_REFERRER_NOT_ALLOWED")) return Failure::kReferrerNotAllowed;
  // The documented forms and those clients met: "INVALID_ACCESS_KEY", "Invalid Access Key",
  // "accessKey must be present ...", "specify valid applicationId", "invalid_token".
  for (const char* words : {"INVALID_ACCESS_KEY", "Invalid Access Key", "accessKey must be",
                            "valid applicationId", "invalid_token", "invalid_access_key"}) {
    if (Contains(said, words)) return Failure::kCredentials;
  }
  if (Contains(said, "keyword")) return Failure::kKeywordRefused;
  if (status == 429) return Failure::kTooManyRequests;
  if (status >= 500) return Failure::kServiceDown;
  return Failure::kServiceError;
}

}  // namespace service
