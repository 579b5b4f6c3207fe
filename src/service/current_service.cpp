#include "service/current_service.h"

#include <algorithm>
#include <optional>
#include <string_view>

#include "base/ascii_text.h"
#include "platform/runtime/numbers.h"
#include "service/current_answer.h"
#include "service/fetch_page.h"
#include "service/request_pacer.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

// The fewest output fields the service allows for a count, and the six cells of a hit.
constexpr char kCountElements[] = "count";
constexpr char kHitListElements[] =
    "count,itemName,itemCode,itemPrice,itemUrl,affiliateUrl,pointRate,shopName";
constexpr double kHighestMaxPrice = 999'999'999;  // the service takes no higher ceiling

bool IsUsableEndpoint(std::string_view endpoint) {
  const bool web = StartsWithNoCase(endpoint, "http://") || StartsWithNoCase(endpoint, "https://");
  return web && std::none_of(endpoint.begin(), endpoint.end(), [](char c) {
           const auto b = static_cast<unsigned char>(c);
           return b <= 0x20 || b == 0x7F || c == '?' || c == '#';
         });
}

// The integer part of the price when it is 1 or more (the service's highest at most); nothing
// for no price, a price below 1 or a text that starts with no number.
std::optional<long> MaxPrice(const std::string& price) {
  if (price.empty()) return std::nullopt;
  const double value = platform::StrtodC(price.c_str());
  if (!(value >= 1)) return std::nullopt;
  return static_cast<long>(std::min(value, kHighestMaxPrice));
}

std::string ServiceErrorOutcome(int status, const std::string& body) {
  const ServiceError said = ReadServiceError(body);
  std::string outcome = "service error " + std::to_string(status);
  if (!said.error.empty()) outcome += " " + said.error;
  if (!said.description.empty()) outcome += ": " + said.description;
  return outcome;
}

// One exchange with the service, in its turn. The body of a 200 answer, or the outcome of a
// failure.
std::optional<std::string> Exchange(const ServiceSettings& service, const std::string& url,
                                    std::string& body) {
  WaitForServiceTurn();
  FetchReport report;
  if (FetchServiceAnswer(body, url, service.referer, report) == -1) {
    return "network error: " + report.failure;
  }
  if (report.status != 200) return ServiceErrorOutcome(report.status, body);
  return std::nullopt;
}

constexpr char kBadEndpoint[] = "settings error: ENDPOINT is not an http or https address";

}  // namespace

std::string CurrentSearchUrl(const ServiceSettings& service, const SettingsSnapshot& search,
                             bool hitList) {
  const std::string endpoint =
      service.endpoint.empty() ? std::string(kCurrentServiceEndpoint) : service.endpoint;
  if (!IsUsableEndpoint(endpoint)) return {};
  std::string url = endpoint +
                    "?applicationId=" + PercentEncode(service.applicationId, Unreserved::Keep) +
                    "&accessKey=" + PercentEncode(service.accessKey, Unreserved::Keep);
  if (hitList && !service.affiliateId.empty()) {
    url += "&affiliateId=" + PercentEncode(service.affiliateId, Unreserved::Keep);
  }
  url += "&keyword=" + EncodeKeyword(search.scanKeyword.c_str());
  if (hitList) url += "&sort=%2BitemPrice";
  url += search.scanZaiko != 0 ? "&availability=1" : "&availability=0";
  if (const auto maxPrice = MaxPrice(search.scanPrice)) {
    url += "&maxPrice=" + std::to_string(*maxPrice);
  }
  url += hitList ? "&hits=30" : "&hits=1";
  url += "&format=json&formatVersion=2&elements=";
  url += hitList ? kHitListElements : kCountElements;
  return url;
}

QueryOutcome CurrentHitCount(const ServiceSettings& service, const SettingsSnapshot& search,
                             int& count) {
  count = -1;
  const std::string url = CurrentSearchUrl(service, search, false);
  if (url.empty()) return {-1, kBadEndpoint, service.endpoint};
  std::string body;
  if (auto failure = Exchange(service, url, body)) return {-1, *failure, url};
  int n = -1;
  if (ReadCurrentCount(body, n) == -1) return {-1, kUnreadableAnswer, url};
  count = n;
  return {0, n == 0 ? "nothing found" : "count " + std::to_string(n), url};
}

QueryOutcome CurrentHitList(const ServiceSettings& service, const SettingsSnapshot& search) {
  const std::string url = CurrentSearchUrl(service, search, true);
  if (url.empty()) return {-1, kBadEndpoint, service.endpoint};
  std::string body;
  if (auto failure = Exchange(service, url, body)) return {-1, *failure, url};
  if (ReadCurrentHitList(body) == -1) return {-1, kUnreadableAnswer, url};
  const int32_t rows = watchState.hitCount;
  return {0, rows == 0 ? "nothing found" : "listed " + std::to_string(rows), url};
}
