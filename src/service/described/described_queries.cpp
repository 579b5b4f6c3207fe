#include "service/described/described_queries.h"

#include <mutex>
#include <optional>
#include <string_view>
#include <utility>

#include "base/no_destructor.h"
#include "service/described/item_search_reader.h"
#include "service/described/sales_status_reader.h"
#include "service/described/service_ids.h"
#include "service/fetch_page.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace service {

namespace {

// The constant pieces the request URLs are built from, and the address of the IchibaItem/Search
// service when [SERVICE] names none.
struct UrlPieces {
  ServiceHosts hosts;
  std::string itemSearchBaseUrl;
  std::string affiliateIdPiece;
  std::string keywordPiece;
  std::string sortPiece;
  std::string mallSearchBaseUrl;
};

UrlPieces MakePieces(ServiceHosts hosts) {
  if (hosts.serviceEndpoint.empty()) {
    const std::string_view endpoint = kItemSearchEndpoint;
    hosts.serviceEndpoint =
        "http://" + hosts.itemSearch + std::string(endpoint.substr(endpoint.find('/', 8)));
  }
  return {.hosts = hosts,
          .itemSearchBaseUrl = "http://" + hosts.itemSearch + "/rws/3.0/rest?developerId=" +
                               kDeveloperId + "&operation=ItemSearch&version=2010-09-15",
          .affiliateIdPiece = std::string("&affiliateId=") + kAffiliateId,
          .keywordPiece = "&keyword=",
          .sortPiece = "&sort=%2BitemPrice",
          .mallSearchBaseUrl = "http://" + hosts.mallSearch + "/search/mall?sitem="};
}

// Never destroyed: the worker is not stopped at exit and may still be building a URL.
std::mutex piecesMutex;
NoDestructor<UrlPieces> pieces(MakePieces({KOBANU_ITEM_SEARCH_HOST, KOBANU_MALL_SEARCH_HOST,
                                           kItemSearchEndpoint}));

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

// The outcome of an exchange that failed, or whose status was not 200 (its body, left empty,
// the readers then refuse); nothing for a 200 answer.
std::optional<CheckOutcome> ExchangeFailure(const FetchResult& fetched, const std::string& url) {
  if (fetched.failure) return NetworkFailed(url, *fetched.failure);
  if (fetched.status != 200) {
    return Failed(FailureOfAnswer(fetched.status, "", ""), url, "", fetched.status);
  }
  return std::nullopt;
}

}  // namespace

// The described interface's count query.
CheckOutcome RwsHitCount(const SettingsSnapshot& settings) {
  const std::string url = ItemSearchUrl(settings, false);
  const FetchResult fetched = FetchAnswer(url);
  const auto failure = ExchangeFailure(fetched, url);
  if (fetched.failure) return *failure;
  int n = 0;
  const int read = ParseHitCount(fetched.body, n);
  CheckOutcome done = read == -1   ? failure.value_or(Failed(Failure::kUnreadable, url))
                      : read == -3 ? NotSuccess(url)
                                   : Counted(n, url);
  if (read != -1) done.found = n;
  done.answer = AnswerText(fetched.status, fetched.body);
  return done;
}

// The described interface's hit-list query. A status other than Success still lists the rows
// the table announces, as the described query does.
CheckOutcome RwsHitList(const SettingsSnapshot& settings) {
  const std::string url = ItemSearchUrl(settings, true);
  const FetchResult fetched = FetchAnswer(url);
  const auto failure = ExchangeFailure(fetched, url);
  if (fetched.failure) return *failure;
  const int read = ParseHitList(fetched.body);
  if (read == -1) return failure.value_or(Failed(Failure::kUnreadable, url));
  if (read == -3) {
    CheckOutcome done = NotSuccess(url);
    done.found = watchState.hitCount;
    return done;
  }
  return Listed(read == -2 ? 0 : watchState.hitCount, url);
}

// The described reading of the search page's badge.
CheckOutcome MallPageSalesStatus(const SettingsSnapshot& settings) {
  const std::string url =
      CurrentPieces().mallSearchBaseUrl + EncodeKeyword(settings.scanKeyword.c_str());
  const FetchResult fetched = FetchAnswer(url);
  if (auto failure = ExchangeFailure(fetched, url)) {
    if (fetched.failure) return *failure;
    failure->found = ParseSalesStatus(fetched.body);  // no page: no marker
    return *failure;
  }
  CheckOutcome done = SaleRead(ParseSalesStatus(fetched.body), SaleSource::kSearchPage, url);
  done.answer = AnswerText(fetched.status, fetched.body);
  return done;
}

std::string DefaultServiceEndpoint() { return CurrentPieces().hosts.serviceEndpoint; }

ServiceHosts SetServiceHostsForTesting(const ServiceHosts& hosts) {
  std::lock_guard lock(piecesMutex);
  return std::exchange(*pieces, MakePieces(hosts)).hosts;
}

}  // namespace service
