#include "service/service_requests.h"

#include <mutex>
#include <optional>

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
  return {"http://" + itemSearchHost + "/rws/3.0/rest?developerId=" + kDeveloperId +
              "&operation=ItemSearch&version=2010-09-15",
          std::string("&affiliateId=") + kAffiliateId, "&keyword=", "&sort=%2BitemPrice",
          "http://" + mallSearchHost + "/search/mall?sitem="};
}

// Never destroyed: the worker is not stopped at exit and may still be building a URL.
std::mutex piecesMutex;
UrlPieces& pieces = *new UrlPieces(MakePieces(KOBANU_ITEM_SEARCH_HOST, KOBANU_MALL_SEARCH_HOST));

UrlPieces CurrentPieces() {
  std::lock_guard lock(piecesMutex);
  return pieces;
}

SearchSettings CurrentSearch() {
  const WatchSettings& s = watchState.settings;
  return {s.scanKeyword, s.scanPrice, s.scanZaiko != 0};
}

ServiceSettings LoadedService() {
  std::lock_guard lock(watchState.serviceMutex);
  return watchState.service;
}

// Builds the item-search URL of the described interface. The caller holds itemSearchMutex.
void BuildItemSearchUrl(const SearchSettings& search, bool withAffiliateId) {
  const UrlPieces p = CurrentPieces();
  std::string& url = watchState.itemSearchUrl;
  url = p.itemSearchBaseUrl;
  if (withAffiliateId) url += p.affiliateIdPiece;
  url += p.keywordPiece + EncodeKeyword(search.keyword.c_str()) + p.sortPiece;
  url += search.inStockOnly ? "&availability=1" : "&availability=0";
  // The price goes in as stored, its bytes outside the unreserved set percent-encoded.
  if (!search.price.empty()) url += "&maxPrice=" + EncodeQueryValue(search.price);
}

// The outcome of an exchange that failed, or whose status was not 200 (its body, left empty,
// the readers then refuse); nothing for a 200 answer.
std::optional<std::string> ExchangeFailure(int fetched, const FetchReport& report) {
  if (fetched == -1) return "network error: " + report.failure;
  if (report.status != 200) return "service error " + std::to_string(report.status);
  return std::nullopt;
}

// Fetches the described interface's item search into itemSearchBody; the caller holds
// itemSearchMutex. The fetch's result, with the outcome of a failed exchange in failure.
int FetchItemSearch(const SearchSettings& search, bool withAffiliateId,
                    std::optional<std::string>& failure) {
  BuildItemSearchUrl(search, withAffiliateId);
  FetchReport report;
  const int fetched = FetchPage(watchState.itemSearchBody, watchState.itemSearchUrl, report);
  failure = ExchangeFailure(fetched, report);
  return fetched;
}

constexpr char kNotSuccess[] = "service error 200: a status other than Success";

QueryOutcome ClassicHitCount(const SearchSettings& search, int& count) {
  std::lock_guard lock(watchState.itemSearchMutex);
  std::optional<std::string> failure;
  const int fetched = FetchItemSearch(search, false, failure);
  const std::string& url = watchState.itemSearchUrl;
  if (fetched == -1) return {-1, *failure, url};
  int n = 0;
  const int read = ParseHitCount(watchState.itemSearchBody, n);
  if (read == -1) return {-1, failure.value_or(kUnreadableAnswer), url};
  count = n;
  if (read == -3) return {0, kNotSuccess, url};
  return {0, n > 0 ? "count " + std::to_string(n) : "nothing found", url};
}

QueryOutcome ClassicHitList(const SearchSettings& search) {
  std::lock_guard lock(watchState.itemSearchMutex);
  std::optional<std::string> failure;
  const int fetched = FetchItemSearch(search, true, failure);
  const std::string& url = watchState.itemSearchUrl;
  if (fetched == -1) return {-1, *failure, url};
  const int read = ParseHitList(watchState.itemSearchBody);
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

bool KeywordIsEmpty() { return watchState.settings.scanKeyword.empty(); }

int QueryHitCount(int& count) {
  count = -1;
  if (KeywordIsEmpty()) {
    WriteCheckLog(kCountCheck, kNoKeyword, "");
    return -2;
  }
  const SearchSettings search = CurrentSearch();
  const ServiceSettings service = LoadedService();
  const QueryOutcome done =
      service.Enabled() ? CurrentHitCount(service, search, count) : ClassicHitCount(search, count);
  WriteCheckLog(kCountCheck, done.outcome, done.url);
  return done.result;
}

int QueryHitList() {
  watchState.hitListRows = 0;
  if (KeywordIsEmpty()) {
    WriteCheckLog(kHitListCheck, kNoKeyword, "");
    return -2;
  }
  const SearchSettings search = CurrentSearch();
  const ServiceSettings service = LoadedService();
  const QueryOutcome done =
      service.Enabled() ? CurrentHitList(service, search) : ClassicHitList(search);
  WriteCheckLog(kHitListCheck, done.outcome, done.url);
  if (done.result == 0) watchState.hitListRows = watchState.hitCount;
  return done.result;
}

int QuerySalesStatus(int& state) {
  state = 0;
  if (KeywordIsEmpty()) {
    WriteCheckLog(kTimeSaleCheck, kNoKeyword, "");
    return -2;
  }
  const std::string keyword = watchState.settings.scanKeyword;
  watchState.salesStatusUrl = CurrentPieces().mallSearchBaseUrl + EncodeKeyword(keyword.c_str());
  FetchReport report;
  const int fetched = FetchPage(watchState.salesStatusPage, watchState.salesStatusUrl, report);
  if (auto failure = ExchangeFailure(fetched, report)) {
    WriteCheckLog(kTimeSaleCheck, *failure, watchState.salesStatusUrl);
    if (fetched == -1) return -1;
  }
  state = ParseSalesStatus(watchState.salesStatusPage);
  if (report.status == 200) {
    WriteCheckLog(kTimeSaleCheck, SalesStatusOutcome(state), watchState.salesStatusUrl);
  }
  return 0;
}

void SetServiceHostsForTesting(const std::string& itemSearchHost,
                               const std::string& mallSearchHost) {
  std::lock_guard lock(piecesMutex);
  pieces = MakePieces(itemSearchHost, mallSearchHost);
}
