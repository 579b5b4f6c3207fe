#include "service/service_requests.h"

#include <mutex>
#include <optional>

#include "base/no_destructor.h"
#include "service/check_log.h"
#include "service/current_service.h"
#include "service/fetch_page.h"
#include "service/response_readers.h"
#include "service/service_ids.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

// The constant pieces the request URLs are built from.
struct UrlPieces {
  std::string itemSearchBaseUrl;
  std::string affiliateIdPiece;
  std::string keywordPiece;
  std::string sortPiece;
  std::string mallSearchBaseUrl;
};

UrlPieces MakePieces(const std::string& itemSearchHost, const std::string& mallSearchHost) {
  return {.itemSearchBaseUrl = "http://" + itemSearchHost + "/rws/3.0/rest?developerId=" +
                               kDeveloperId + "&operation=ItemSearch&version=2010-09-15",
          .affiliateIdPiece = std::string("&affiliateId=") + kAffiliateId,
          .keywordPiece = "&keyword=",
          .sortPiece = "&sort=%2BitemPrice",
          .mallSearchBaseUrl = "http://" + mallSearchHost + "/search/mall?sitem="};
}

// Never destroyed: the worker is not stopped at exit and may still be building a URL.
std::mutex piecesMutex;
NoDestructor<UrlPieces> pieces(MakePieces(KOBANU_ITEM_SEARCH_HOST, KOBANU_MALL_SEARCH_HOST));

UrlPieces CurrentPieces() {
  std::lock_guard lock(piecesMutex);
  return *pieces;
}

// The item-search URL for the settings.
std::string ItemSearchUrl(const SettingsSnapshot& s, bool withAffiliateId) {
  const UrlPieces p = CurrentPieces();
  std::string url = p.itemSearchBaseUrl;
  if (withAffiliateId) url += p.affiliateIdPiece;
  url += p.keywordPiece + EncodeKeyword(s.scanKeyword.c_str()) + p.sortPiece;
  url += s.scanZaiko != 0 ? "&availability=1" : "&availability=0";
  // The price goes in as stored, except that every byte outside the unreserved set is
  // percent-encoded, so that no price text can break the URL or add a parameter of its own.
  if (!s.scanPrice.empty()) url += "&maxPrice=" + PercentEncode(s.scanPrice, Unreserved::Keep);
  return url;
}

ServiceSettings LoadedService() {
  std::lock_guard lock(watchState.serviceMutex);
  return watchState.service;
}

// The outcome of an exchange that failed, or whose status was not 200 (its body, left empty,
// the readers then refuse); nothing for a 200 answer.
std::optional<std::string> ExchangeFailure(int fetched, const FetchReport& report) {
  if (fetched == -1) return "network error: " + report.failure;
  if (report.status != 200) return "service error " + std::to_string(report.status);
  return std::nullopt;
}

constexpr char kNotSuccess[] = "service error 200: a status other than Success";

// The described interface's count query.
QueryOutcome ClassicHitCount(const SettingsSnapshot& settings, int& count) {
  const std::string url = ItemSearchUrl(settings, false);
  std::string body;
  FetchReport report;
  const int fetched = FetchPage(body, url, report);
  const auto failure = ExchangeFailure(fetched, report);
  if (fetched == -1) return {-1, *failure, url};
  int n = 0;
  const int read = ParseHitCount(body, n);
  if (read == -1) return {-1, failure.value_or(kUnreadableAnswer), url};
  count = n;
  if (read == -3) return {0, kNotSuccess, url};
  return {0, n > 0 ? "count " + std::to_string(n) : "nothing found", url};
}

// The described interface's hit-list query.
QueryOutcome ClassicHitList(const SettingsSnapshot& settings) {
  const std::string url = ItemSearchUrl(settings, true);
  std::string body;
  FetchReport report;
  const int fetched = FetchPage(body, url, report);
  const auto failure = ExchangeFailure(fetched, report);
  if (fetched == -1) return {-1, *failure, url};
  const int read = ParseHitList(body);
  if (read == -1) return {-1, failure.value_or(kUnreadableAnswer), url};
  if (read == -3) return {0, kNotSuccess, url};
  const int32_t rows = read == -2 ? 0 : watchState.hitCount;
  return {0, rows > 0 ? "listed " + std::to_string(rows) : "nothing found", url};
}

std::string SalesStatusOutcome(int state) {
  switch (state) {
    case 1:
      return "sale running";
    case -2:
      return "sale ended";
    case 0:
      return "other badge";
    default:
      return "no badge";
  }
}

constexpr char kNoKeyword[] = "skipped: no keyword";

}  // namespace

bool KeywordIsEmpty(const SettingsSnapshot& settings) { return settings.scanKeyword.empty(); }

// Each call builds its request and receives its answer in strings of its own and holds no lock
// while it fetches: the worker's count query, stalled on a slow server, never keeps the hit list
// waiting. With an application id and an access key in [SERVICE], the item searches go to
// today's service; the callers cannot tell. Every call leaves one line in the check log.

int QueryHitCount(int& count, const SettingsSnapshot& settings) {
  count = -1;
  if (KeywordIsEmpty(settings)) {
    WriteCheckLog(kCountCheck, kNoKeyword, "");
    return -2;
  }
  const ServiceSettings service = LoadedService();
  const QueryOutcome done = service.Enabled() ? CurrentHitCount(service, settings, count)
                                              : ClassicHitCount(settings, count);
  WriteCheckLog(kCountCheck, done.outcome, done.url);
  return done.result;
}

int QueryHitList(const SettingsSnapshot& settings) {
  watchState.hitListRows = 0;
  if (KeywordIsEmpty(settings)) {
    WriteCheckLog(kHitListCheck, kNoKeyword, "");
    return -2;
  }
  const ServiceSettings service = LoadedService();
  const QueryOutcome done =
      service.Enabled() ? CurrentHitList(service, settings) : ClassicHitList(settings);
  WriteCheckLog(kHitListCheck, done.outcome, done.url);
  if (done.result == 0) watchState.hitListRows = watchState.hitCount;
  return done.result;
}

int QuerySalesStatus(int& state, const SettingsSnapshot& settings) {
  state = 0;
  if (KeywordIsEmpty(settings)) {
    WriteCheckLog(kTimeSaleCheck, kNoKeyword, "");
    return -2;
  }
  std::string page;
  const std::string url =
      CurrentPieces().mallSearchBaseUrl + EncodeKeyword(settings.scanKeyword.c_str());
  FetchReport report;
  const int fetched = FetchPage(page, url, report);
  if (auto failure = ExchangeFailure(fetched, report)) {
    WriteCheckLog(kTimeSaleCheck, *failure, url);
    if (fetched == -1) return -1;
  }
  state = ParseSalesStatus(page);
  if (report.status == 200) WriteCheckLog(kTimeSaleCheck, SalesStatusOutcome(state), url);
  return 0;
}

void SetServiceHostsForTesting(const std::string& itemSearchHost,
                               const std::string& mallSearchHost) {
  std::lock_guard lock(piecesMutex);
  *pieces = MakePieces(itemSearchHost, mallSearchHost);
}
