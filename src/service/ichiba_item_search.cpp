#include "service/ichiba_item_search.h"

#include <algorithm>
#include <atomic>
#include <ctime>
#include <optional>
#include <string_view>

#include "base/ascii_text.h"
#include "platform/runtime/numbers.h"
#include "service/fetch_page.h"
#include "service/json_answer.h"
#include "service/keyword_rules.h"
#include "service/request_pacer.h"
#include "service/service_versions.h"
#include "service/text_encoding.h"

namespace {

enum class Question { kCount, kHitList, kTimeSale };

// The fewest output fields the service allows for each question.
constexpr char kCountElements[] = "count";
constexpr char kHitListElements[] =
    "count,itemName,itemCode,itemPrice,itemUrl,affiliateUrl,pointRate,shopName";
constexpr char kTimeSaleElements[] = "count,startTime,endTime";
constexpr double kHighestMaxPrice = 999'999'999;  // the service takes no higher ceiling

bool IsLoopbackHost(std::string_view host) {
  return host == "localhost" || host == "[::1]" || host.starts_with("127.");
}

// https, or http to this machine only (the stand-in, a test): the key must not cross a network
// in the clear.
bool IsUsableEndpoint(std::string_view endpoint) {
  const bool plain = std::none_of(endpoint.begin(), endpoint.end(), [](char c) {
    const auto b = static_cast<unsigned char>(c);
    return b <= 0x20 || b == 0x7F || c == '?' || c == '#';
  });
  if (!plain) return false;
  if (StartsWithNoCase(endpoint, "https://")) return endpoint.size() > 8;
  if (!StartsWithNoCase(endpoint, "http://")) return false;
  const std::string_view authority = endpoint.substr(7, endpoint.find('/', 7) - 7);
  if (authority.find('@') != std::string_view::npos) return false;
  const std::string_view host = authority.starts_with('[')
                                    ? authority.substr(0, authority.find(']') + 1)
                                    : authority.substr(0, authority.find(':'));
  return IsLoopbackHost(host);
}

std::string RequestUrl(const std::string& endpoint, const ServiceSettings& service,
                       const SettingsSnapshot& search, const std::string& keyword,
                       Question question) {
  std::string url = endpoint +
                    "?applicationId=" + PercentEncode(service.applicationId, Unreserved::Keep) +
                    "&accessKey=" + PercentEncode(service.accessKey, Unreserved::Keep);
  if (question == Question::kHitList && !service.affiliateId.empty()) {
    url += "&affiliateId=" + PercentEncode(service.affiliateId, Unreserved::Keep);
  }
  url += "&keyword=" + PercentEncode(keyword, Unreserved::Encode);
  if (question == Question::kTimeSale) {
    return url + "&hits=30&format=json&formatVersion=2&elements=" + kTimeSaleElements;
  }
  if (question == Question::kHitList) url += "&sort=%2BitemPrice";
  url += search.scanZaiko != 0 ? "&availability=1" : "&availability=0";
  if (const auto maxPrice = MaxPrice(search.scanPrice)) {
    url += "&maxPrice=" + std::to_string(*maxPrice);
  }
  url += question == Question::kHitList ? "&hits=30" : "&hits=1";
  url += "&format=json&formatVersion=2&elements=";
  return url + (question == Question::kHitList ? kHitListElements : kCountElements);
}

// One question asked: the 200 answer's body, or the failure that stopped it.
struct Asked {
  std::string body{};
  std::optional<CheckOutcome> failure{};
  std::string url{};
  std::string note{};    // a version that stood in for a retired one
  std::string answer{};  // AnswerText of the last answer

  // The outcome of the question, with the answer it came from and the version note.
  CheckOutcome Told(CheckOutcome outcome) const {
    outcome.answer = answer;
    outcome.log += note;
    return outcome;
  }
};

// Asks the question in its turn, and again with the next known version while the service says
// the one asked for is retired.
Asked Ask(const ServiceSettings& service, const SettingsSnapshot& search,
          const std::string& defaultEndpoint, const std::string& keyword, Question question) {
  const std::string configured = service.endpoint.empty() ? defaultEndpoint : service.endpoint;
  if (!IsUsableEndpoint(configured)) {
    return {.failure = Failed(-1, Failure::kBadEndpoint, configured, "ENDPOINT " + configured)};
  }
  std::string endpoint = EndpointToAsk(configured);
  for (;;) {
    const std::string url = RequestUrl(endpoint, service, search, keyword, question);
    WaitForServiceTurn();
    FetchResult fetched = FetchServiceAnswer(url, service.referer);
    if (fetched.failure) return {.failure = NetworkFailed(-1, url, *fetched.failure), .url = url};
    const std::string note = endpoint == configured
                                 ? ""
                                 : VersionNote(VersionOf(configured).value_or("?"),
                                               VersionOf(endpoint).value_or("?"), endpoint);
    const std::string answer = AnswerText(fetched.status, fetched.body);
    if (fetched.status == 200) {
      if (const auto version = VersionOf(endpoint); version && !note.empty()) {
        NoteAnsweringVersion(*version);
      }
      return {.body = std::move(fetched.body), .url = url, .note = note, .answer = answer};
    }
    const ServiceError said = ReadServiceError(fetched.body);
    const std::string words = said.error +
                              (said.error.empty() || said.description.empty() ? "" : ": ") +
                              said.description;
    const Failure failure = FailureOfAnswer(fetched.status, said.error, said.description);
    const auto version = VersionOf(endpoint);
    if (failure != Failure::kRetiredVersion || !version) {
      Asked refused{.failure = Failed(-1, failure, url, words, fetched.status), .url = url};
      refused.failure->answer = answer;
      return refused;
    }
    NoteRetiredVersion(*version);
    const auto next = NextKnownVersion(*version);
    if (!next) {
      Asked refused{.failure = Failed(-1, Failure::kNoKnownVersion, url, words, fetched.status,
                                      "版 " + *version + " は廃止されています。"),
                    .url = url};
      refused.failure->answer = answer;
      return refused;
    }
    endpoint = WithVersion(endpoint, *next);
  }
}

// The keyword as the service takes it; a failure when it would refuse it.
std::optional<CheckOutcome> KeywordRefusal(const ServiceKeyword& keyword) {
  if (!keyword.problem) return std::nullopt;
  const KeywordProblem& problem = *keyword.problem;
  const std::string which = problem.word.empty() ? "" : "語「" + problem.word + "」: ";
  return Failed(-1, Failure::kKeywordRule, "", problem.word, 0, which + problem.rule + "。");
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
  const ServiceKeyword keyword = ServiceKeywordOf(search.scanKeyword);
  if (auto refused = KeywordRefusal(keyword)) return *refused;
  if (MaxPrice(search.scanPrice) == 0) return NothingBelowOneYen();
  const Asked asked = Ask(service, search, defaultEndpoint, keyword.words, Question::kCount);
  if (asked.failure) return *asked.failure;
  const std::optional<int> n = ReadJsonCount(asked.body);
  if (!n) return asked.Told(Failed(-1, Failure::kUnreadable, asked.url));
  return asked.Told(Counted(*n, asked.url));
}

CheckOutcome IchibaHitList(const ServiceSettings& service, const SettingsSnapshot& search,
                           const std::string& defaultEndpoint) {
  const ServiceKeyword keyword = ServiceKeywordOf(search.scanKeyword);
  if (auto refused = KeywordRefusal(keyword)) return *refused;
  if (MaxPrice(search.scanPrice) == 0) {
    watchState.hitCount = 0;
    return NothingBelowOneYen();
  }
  const Asked asked = Ask(service, search, defaultEndpoint, keyword.words, Question::kHitList);
  if (asked.failure) return *asked.failure;
  if (ReadJsonHitList(asked.body) == -1) {
    return asked.Told(Failed(-1, Failure::kUnreadable, asked.url));
  }
  return asked.Told(Listed(watchState.hitCount, asked.url));
}

CheckOutcome IchibaSalesStatus(const ServiceSettings& service, const SettingsSnapshot& search,
                               const std::string& defaultEndpoint) {
  const ServiceKeyword keyword = ServiceKeywordOf(search.scanKeyword);
  if (auto refused = KeywordRefusal(keyword)) return *refused;
  const Asked asked = Ask(service, search, defaultEndpoint, keyword.words, Question::kTimeSale);
  if (asked.failure) return *asked.failure;
  const auto windows = ReadJsonSaleWindows(asked.body);
  if (!windows) return asked.Told(Failed(-1, Failure::kUnreadable, asked.url));
  const int64_t now = std::time(nullptr);
  const int64_t previous = lastSaleReading.exchange(now);
  const int state = SaleVerdict(*windows, now, previous != 0 ? previous : now - 3600);
  return asked.Told(SaleRead(state, SaleSource::kService, asked.url));
}
