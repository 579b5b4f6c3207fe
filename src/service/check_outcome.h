#pragma once

#include <optional>
#include <string>

#include "platform/http/http_request.h"

// The known reasons for a check that found nothing out.
enum class Failure {
  kRetiredVersion,      // the service no longer serves the version asked for
  kNoKnownVersion,      // ... nor any version Kobanu knows
  kIpNotAllowed,        // an API/backend application asked from an address it did not list
  kReferrerMissing,     // a web application asked without its site
  kReferrerNotAllowed,  // ... or with another site
  kCredentials,         // a wrong or missing application id or access key
  kKeywordRefused,      // the service refused the keyword
  kKeywordRule,         // a keyword the service would refuse, not sent
  kTooManyRequests,     // more than one request a second
  kServiceDown,         // a status of 500 or more
  kServiceError,        // any other refusal
  kUnreadable,          // an answer of 200 that is no answer of the search
  kNetwork,             // no answer at all
  kBadEndpoint,         // an ENDPOINT that may not be used
};

// What one check came to, in two voices: the check log's (English, the service's own words, and
// for a failure its cause and fix in Japanese) and a short Japanese one for the tray's tip. Every
// check's outcome is built here.
struct CheckOutcome {
  int result = 0;         // the query's small integer
  bool answered = false;  // the question was answered, whatever the answer (nothing found too)
  std::string log{};      // "count 6", "service error 403 CLIENT_IP_NOT_ALLOWED — 原因: ..."
  std::string brief{};    // "該当 6件", "確認できません: 登録IPと異なります"
  std::string cause{};    // for a failure, Japanese
  std::string fix{};
  std::string url{};     // the request, with the key in it
  std::string answer{};  // what came back: the status and the start of the body; empty for none
  std::optional<Failure> failure{};  // why it failed, when it did
  std::optional<int> found{};        // the count, or the time-sale state, that was read
};

// An answer as CheckOutcome keeps it: "200 {...}", the body cut after 1,000 bytes.
std::string AnswerText(int status, const std::string& body);

// The question answered: log is the log's outcome ("count 6", "nothing found"), brief the tip's,
// found the count or state read.
CheckOutcome Answered(int result, std::string log, std::string brief, std::string url,
                      std::optional<int> found = std::nullopt);

// A failure with the service's own words (or the reason the HTTP layer gave), the status of its
// answer (0 for none), and where the cause needs them, details of the case in Japanese that stand
// before the table's cause.
CheckOutcome Failed(int result, Failure failure, std::string url, const std::string& said = "",
                    int status = 0, const std::string& details = "");

// No answer at all: the HTTP layer's failure, its kind told in the cause.
CheckOutcome NetworkFailed(int result, std::string url, const platform::http::HttpError& error);

// A cycle that asked nothing: "skipped: no keyword" and the like.
CheckOutcome Skipped(int result, std::string why);

// The failure an answer other than 200 stands for, from its status and its words.
Failure FailureOfAnswer(int status, const std::string& error, const std::string& description);
