#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "platform/http/http_request.h"
#include "service/cheapest_match.h"

namespace service {

// The checks, as the check log names them.
inline constexpr std::string_view kCountCheck = "count";
inline constexpr std::string_view kTimeSaleCheck = "time sale";
inline constexpr std::string_view kHitListCheck = "hit list";

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

// The keyword rules of the IchibaItem/Search service (ichiba/keyword_rules.h applies them), here
// because an outcome names the one a keyword broke. The most half-width characters a keyword may
// have in all (a full-width one counts as two):
inline constexpr size_t kMaxKeywordWidth = 128;

enum class KeywordRule {
  kNoWords,            // blanks only
  kTooWide,            // more than kMaxKeywordWidth half-width characters in all
  kKanaOrSymbolAlone,  // a word of one kana or symbol; such a word needs two
  kHalfWidthAlone,     // a word of one half-width character; one full-width one would do
};

// A rule the keyword breaks, naming the word (UTF-8).
struct KeywordProblem {
  std::string word;  // empty when the rule is about the whole keyword
  KeywordRule rule;
  size_t width = 0;  // the keyword's width in half-width characters, for kTooWide
};

// What a check came to.
enum class Verdict {
  kCounted,             // found: the count (0: nothing found), with its cheapest match
  kListed,              // found: the hit list's rows
  kSaleRead,            // found: the time sale's state
  kNothingBelowOneYen,  // a price ceiling below one yen: nothing can match, nothing was asked
  kFailed,              // failure: why nothing was found out
  kSkipped,             // skip: the cycle asked nothing
  kNotAsked,            // said: the cycle's message that refused the settings (kobanu --check)
};

// Where a time sale's state was read: 0 is "no sale" from the service, another badge on the page.
enum class SaleSource { kSearchPage, kService };

// Why a cycle asked nothing.
enum class Skip { kDisarmed, kNoKeyword, kBadPrice, kNoKeywordBadPrice };

// Another version of the service that answered for the retired one asked for.
struct StandInVersion {
  std::string retired;
  std::string answering;
  std::string endpoint;  // the answering version's address, for ENDPOINT
};

// The facts of one check, in the words of the service and the HTTP layer; outcome_text.h words
// them for the log, the tip, the boxes and the command line.
struct CheckOutcome {
  std::string_view check{};  // kCountCheck, kTimeSaleCheck or kHitListCheck; empty for none
  Verdict verdict = Verdict::kFailed;
  std::optional<Failure> failure{};                          // with kFailed
  std::optional<platform::http::HttpFailure> httpFailure{};  // kNetwork: how the exchange broke
  int status = 0;                                            // the answer's HTTP status; 0 for none
  std::string said{};  // the service's or the HTTP layer's words, a setting as written, or the
                       // cycle's message
  std::optional<KeywordProblem> keywordProblem{};  // kKeywordRule, kNgKeywordRule
  std::string retiredVersion{};                    // kNoKnownVersion: the last one found retired
  std::optional<StandInVersion> standIn{};
  std::optional<int> found{};               // the count, the rows or the time-sale state read
  std::optional<CheapestMatch> cheapest{};  // a count's cheapest match, from today's service
  SaleSource saleSource = SaleSource::kService;
  Skip skip = Skip::kNoKeyword;
  std::string url{};     // the request, with the key in it
  std::string answer{};  // what came back: the status and the start of the body; empty for none

  // The question was answered, whatever the answer (nothing found too).
  bool Answered() const;
};

// An answer as CheckOutcome keeps it: "200 {...}", the body cut after 1,000 bytes.
std::string AnswerText(int status, const std::string& body);

// The question answered: a count (0: "nothing found"), with its cheapest match when the service
// named one; the rows of a hit list; or a time sale's state (1 running, -2 ended, 0 none; read
// from the search page 0 is another badge and -1 no marker at all).
CheckOutcome Counted(int count, std::string url,
                     std::optional<CheapestMatch> cheapest = std::nullopt);
CheckOutcome Listed(int rows, std::string url);
CheckOutcome SaleRead(int state, SaleSource source, std::string url);
CheckOutcome NothingBelowOneYen();

// A failure with the service's own words (or the reason the HTTP layer gave) and the status of
// its answer (0 for none).
CheckOutcome Failed(Failure failure, std::string url, std::string said = "", int status = 0);

// No answer at all: the HTTP layer's failure.
CheckOutcome NetworkFailed(std::string url, const platform::http::HttpError& error);

// A keyword (kKeywordRule) or NG_KEYWORD (kNgKeywordRule) the service would refuse, not sent.
CheckOutcome KeywordNotSent(Failure failure, const KeywordProblem& problem);

CheckOutcome Skipped(Skip why);
// A check made now (kobanu --check) that the cycle's own message refused.
CheckOutcome NotAsked(const std::string& message);

// The described item-search answered 200 with a status other than Success.
CheckOutcome NotSuccess(std::string url);

// The failure an answer other than 200 stands for, from its status and its words.
Failure FailureOfAnswer(int status, const std::string& error, const std::string& description);

}  // namespace service
