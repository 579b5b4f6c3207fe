#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/http/http_request.h"
#include "service/cheapest_match.h"

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
  kRedirectRefused,     // a redirect off https or to another host, not followed
  kBadEndpoint,         // an ENDPOINT that may not be used
  kRetiredHost,         // an ENDPOINT on a host the service has left
  kBadMinPrice,         // a MIN_PRICE that is no whole number of yen; not sent
  kFloorNotBelowPrice,  // a MIN_PRICE at or above the price ceiling: nothing can match, not sent
  kNgKeywordRule,       // an NG_KEYWORD the service would refuse, not sent
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
  std::optional<Failure> failure{};         // why it failed, when it did
  std::optional<int> found{};               // the count, or the time-sale state, that was read
  std::optional<CheapestMatch> cheapest{};  // a count's cheapest match, from today's service
};

// The outcome as a person reads it in a box or a notice: the brief, and for a failure its cause and
// fix on lines of their own, the lines ended by lineEnd, each line shown as VisibleText.
std::string UserText(const CheckOutcome& outcome, std::string_view lineEnd = "\n");

// An answer as CheckOutcome keeps it: "200 {...}", the body cut after 1,000 bytes.
std::string AnswerText(int status, const std::string& body);

// The question answered: a count (0: "nothing found"), with its cheapest match when the service
// named one; the rows of a hit list; or a time sale's state (1 running, -2 ended, 0 none; read
// from the search page 0 is another badge and -1 no marker at all).
CheckOutcome Counted(int count, std::string url,
                     std::optional<CheapestMatch> cheapest = std::nullopt);
CheckOutcome Listed(int rows, std::string url);
enum class SaleSource { kSearchPage, kService };
CheckOutcome SaleRead(int state, SaleSource source, std::string url);
// A price ceiling below one yen: nothing can match, and nothing was asked.
CheckOutcome NothingBelowOneYen();

// What the log adds when another version of the service stood in for a retired one.
std::string VersionNote(const std::string& retired, const std::string& answering,
                        const std::string& askedEndpoint);

// A failure with the service's own words (or the reason the HTTP layer gave), the status of its
// answer (0 for none), and where the cause needs them, details of the case in Japanese that stand
// before the table's cause.
CheckOutcome Failed(int result, Failure failure, std::string url, const std::string& said = "",
                    int status = 0, const std::string& details = "");

// No answer at all: the HTTP layer's failure, its kind told in the cause.
CheckOutcome NetworkFailed(int result, std::string url, const platform::http::HttpError& error);

// A check that asked nothing: the cycle's reasons ("skipped: disarmed" ...), and a query's for an
// empty keyword (result -2).
enum class Skip { kDisarmed, kNoKeyword, kBadPrice, kNoKeywordBadPrice };
CheckOutcome Skipped(Skip why);
// A check made now (kobanu --check) that the cycle's own message refused (result -2).
CheckOutcome NotAsked(const std::string& message);

// The cheapest match as the notice at an alert shows it: its name, cut between characters, on a
// line of its own, then its price, postage and shop.
std::string MatchNotice(const CheapestMatch& match);
// ... and on one line, with its address, for kobanu --check.
std::string MatchLine(const CheapestMatch& match);

// The described item-search answered 200 with a status other than Success (result 0).
CheckOutcome NotSuccess(std::string url);

// The failure an answer other than 200 stands for, from its status and its words.
Failure FailureOfAnswer(int status, const std::string& error, const std::string& description);
