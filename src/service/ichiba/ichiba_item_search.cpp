#include "service/ichiba/ichiba_item_search.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <optional>
#include <string_view>

#include "base/ascii_text.h"
#include "platform/runtime/numbers.h"
#include "service/fetch_page.h"
#include "service/ichiba/json_answer.h"
#include "service/ichiba/keyword_rules.h"
#include "service/ichiba/narrowing.h"
#include "service/ichiba/request_pacer.h"
#include "service/ichiba/service_endpoint.h"
#include "service/ichiba/service_versions.h"
#include "service/text_encoding.h"

namespace service {

namespace {

enum class Question { kCheapest, kHitList, kTimeSale };

// The fewest output fields the service allows for each question, by their names in its answers.
constexpr char kCheapestElements[] =
    "count,itemName,itemPrice,itemUrl,affiliateUrl,shopName,postageFlag";
constexpr char kHitListElements[] =
    "count,itemName,itemCode,itemPrice,itemUrl,affiliateUrl,pointRate,shopName";
constexpr char kTimeSaleElements[] = "count,startTime,endTime";
constexpr double kHighestMaxPrice = 999'999'999;  // the service takes no higher ceiling

// What one question sends besides the credentials.
struct Request {
  Question question;
  std::string keyword{};  // the service's words
  bool inStockOnly = false;
  std::optional<long> maxPrice{};  // not sent by the time-sale question
  Narrowing narrowing{};
};

std::string RequestUrl(const std::string& endpoint, const ServiceSettings& service,
                       const Request& request) {
  const Question question = request.question;
  const Narrowing& narrowing = request.narrowing;
  std::string url = endpoint +
                    "?applicationId=" + PercentEncode(service.applicationId, Unreserved::Keep) +
                    "&accessKey=" + PercentEncode(service.accessKey, Unreserved::Keep);
  // The cheapest match opens through the affiliate link as the hit list's rows do.
  if (question != Question::kTimeSale && !service.affiliateId.empty()) {
    url += "&affiliateId=" + PercentEncode(service.affiliateId, Unreserved::Keep);
  }
  url += "&keyword=" + PercentEncode(request.keyword, Unreserved::Encode);
  if (!narrowing.ngWords.empty()) {
    url += "&NGKeyword=" + PercentEncode(narrowing.ngWords, Unreserved::Encode);
  }
  if (question != Question::kTimeSale) {
    url += "&sort=%2BitemPrice";
    url += request.inStockOnly ? "&availability=1" : "&availability=0";
  }
  if (narrowing.minPrice) url += "&minPrice=" + std::to_string(*narrowing.minPrice);
  if (request.maxPrice) url += "&maxPrice=" + std::to_string(*request.maxPrice);
  if (narrowing.postageIncluded) url += "&postageFlag=1";
  url += question == Question::kCheapest ? "&hits=1" : "&hits=30";
  url += "&format=json&formatVersion=2&elements=";
  switch (question) {
    case Question::kCheapest:
      return url + kCheapestElements;
    case Question::kHitList:
      return url + kHitListElements;
    case Question::kTimeSale:
      return url + kTimeSaleElements;
  }
  return url;
}

// One question asked: the 200 answer's body, or the failure that stopped it.
struct Asked {
  std::string body{};
  std::optional<CheckOutcome> failure{};
  std::string url{};
  std::optional<StandInVersion> standIn{};  // a version that stood in for a retired one
  std::string answer{};                     // AnswerText of the last answer

  // The outcome of the question, with the answer it came from and the version that gave it.
  CheckOutcome Told(CheckOutcome outcome) const {
    outcome.answer = answer;
    outcome.standIn = standIn;
    return outcome;
  }
};

// Asks the question in its turn, and again with the next known version while the service says
// the one asked for is retired.
Asked Ask(const ServiceSettings& service, const std::string& defaultEndpoint,
          const Request& request) {
  const std::string configured = service.endpoint.empty() ? defaultEndpoint : service.endpoint;
  if (const auto refused = EndpointRefusal(configured)) {
    return {.failure = Failed(*refused, configured, "ENDPOINT " + configured)};
  }
  std::string endpoint = EndpointToAsk(configured);
  for (;;) {
    const std::string url = RequestUrl(endpoint, service, request);
    WaitForServiceTurn();
    FetchResult fetched = FetchServiceAnswer(url, service.referer);
    if (fetched.failure) return {.failure = NetworkFailed(url, *fetched.failure), .url = url};
    std::optional<StandInVersion> standIn;
    if (endpoint != configured) {
      standIn = StandInVersion{.retired = VersionOf(configured).value_or("?"),
                               .answering = VersionOf(endpoint).value_or("?"),
                               .endpoint = endpoint};
    }
    const std::string answer = AnswerText(fetched.status, fetched.body);
    if (fetched.status == 200) {
      if (const auto version = VersionOf(endpoint); version && standIn) {
        NoteAnsweringVersion(*version);
      }
      return {.body = std::move(fetched.body), .url = url, .standIn = standIn, .answer = answer};
    }
    const ServiceError said = ReadServiceError(fetched.body);
    const std::string words = said.error +
                              (said.error.empty() || said.description.empty() ? "" : ": ") +
                              said.description;
    const Failure failure = FailureOfAnswer(fetched.status, said.error, said.description);
    const auto version = VersionOf(endpoint);
    if (failure != Failure::kRetiredVersion || !version) {
      Asked refused{.failure = Failed(failure, url, words, fetched.status), .url = url};
      refused.failure->answer = answer;
      return refused;
    }
    NoteRetiredVersion(*version);
    const auto next = NextKnownVersion(*version);
    if (!next) {
      Asked refused{.failure = Failed(Failure::kNoKnownVersion, url, words, fetched.status),
                    .url = url};
      refused.failure->retiredVersion = *version;
      refused.failure->answer = answer;
      return refused;
    }
    endpoint = WithVersion(endpoint, *next);
  }
}

// The question with the keyword, the ceiling and the narrowing as the service takes them; a
// failure when a rule stops it before anything is sent.
struct Prepared {
  Request request;
  std::optional<CheckOutcome> refusal{};
};
Prepared Prepare(Question question, const ServiceSettings& service, const SettingsSnapshot& search,
                 std::optional<long> maxPrice) {
  Prepared prepared{.request = {.question = question,
                                .inStockOnly = search.scanZaiko != 0,
                                .maxPrice = maxPrice}};
  const ServiceKeyword keyword = ServiceKeywordOf(search.scanKeyword);
  if (keyword.problem) {
    prepared.refusal = KeywordNotSent(Failure::kKeywordRule, *keyword.problem);
    return prepared;
  }
  prepared.request.keyword = keyword.words;
  NarrowingOrRefusal narrowing = NarrowingOf(service, maxPrice);
  prepared.refusal = std::move(narrowing.refusal);
  prepared.request.narrowing = std::move(narrowing.narrowing);
  return prepared;
}

// The count of the items that match at or below the ceiling maxPrice (none: no ceiling), and the
// cheapest of them, in one request.
CheckOutcome AskCheapest(const ServiceSettings& service, const SettingsSnapshot& search,
                         const std::string& defaultEndpoint, std::optional<long> maxPrice) {
  const Prepared prepared = Prepare(Question::kCheapest, service, search, maxPrice);
  if (prepared.refusal) return *prepared.refusal;
  if (maxPrice == 0) return NothingBelowOneYen();
  const Asked asked = Ask(service, defaultEndpoint, prepared.request);
  if (asked.failure) return *asked.failure;
  const std::optional<int> n = ReadJsonCount(asked.body);
  if (!n) return asked.Told(Failed(Failure::kUnreadable, asked.url));
  return asked.Told(Counted(*n, asked.url, ReadJsonCheapest(asked.body)));
}

// The moment of the last reading of the time sales, seconds since 1970; 0 before the first.
std::atomic<int64_t> lastSaleReading{0};

}  // namespace

std::optional<long> MaxPrice(const std::string& price) {
  const size_t start = price.find_first_not_of(" \t\n\v\f\r");
  if (start == std::string::npos) return std::nullopt;
  size_t digit = start + (price[start] == '+' || price[start] == '-' ? 1 : 0);
  if (digit < price.size() && price[digit] == '.') ++digit;
  if (digit >= price.size() || price[digit] < '0' || price[digit] > '9') return std::nullopt;
  const double value = platform::StrtodC(price.c_str());
  return value >= 1 ? static_cast<long>(std::min(value, kHighestMaxPrice)) : 0;
}

CheckOutcome IchibaHitCount(const ServiceSettings& service, const SettingsSnapshot& search,
                            const std::string& defaultEndpoint) {
  return AskCheapest(service, search, defaultEndpoint, MaxPrice(search.scanPrice));
}

CheckOutcome IchibaCheapestPrice(const ServiceSettings& service, const SettingsSnapshot& search,
                                 const std::string& defaultEndpoint) {
  return AskCheapest(service, search, defaultEndpoint, std::nullopt);
}

CheckOutcome IchibaHitList(const ServiceSettings& service, const SettingsSnapshot& search,
                           const std::string& defaultEndpoint) {
  const std::optional<long> maxPrice = MaxPrice(search.scanPrice);
  const Prepared prepared = Prepare(Question::kHitList, service, search, maxPrice);
  if (prepared.refusal) return *prepared.refusal;
  if (maxPrice == 0) {
    watchState.hitCount = 0;
    return NothingBelowOneYen();
  }
  const Asked asked = Ask(service, defaultEndpoint, prepared.request);
  if (asked.failure) return *asked.failure;
  if (ReadJsonHitList(asked.body) == -1) {
    return asked.Told(Failed(Failure::kUnreadable, asked.url));
  }
  return asked.Told(Listed(watchState.hitCount, asked.url));
}

CheckOutcome IchibaSalesStatus(const ServiceSettings& service, const SettingsSnapshot& search,
                               const std::string& defaultEndpoint) {
  // The sale of any hit counts, whatever its price: no ceiling, and so no floor above it.
  const Prepared prepared = Prepare(Question::kTimeSale, service, search, std::nullopt);
  if (prepared.refusal) return *prepared.refusal;
  const Asked asked = Ask(service, defaultEndpoint, prepared.request);
  if (asked.failure) return *asked.failure;
  const auto windows = ReadJsonSaleWindows(asked.body);
  if (!windows) return asked.Told(Failed(Failure::kUnreadable, asked.url));
  const int64_t now = std::time(nullptr);
  const int64_t previous = lastSaleReading.exchange(now);
  const int state = SaleVerdict(*windows, now, previous != 0 ? previous : now - 3600);
  return asked.Told(SaleRead(state, SaleSource::kService, asked.url));
}

}  // namespace service
