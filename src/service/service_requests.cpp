#include "service/service_requests.h"

#include <mutex>

#include "base/no_destructor.h"
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

}  // namespace

bool KeywordIsEmpty(const SettingsSnapshot& settings) { return settings.scanKeyword.empty(); }

// Each call builds its request and receives its answer in strings of its own and holds no lock
// while it fetches: the worker's count query, stalled on a slow server, never keeps the hit list
// waiting.

int QueryHitCount(int& count, const SettingsSnapshot& settings) {
  count = -1;
  if (KeywordIsEmpty(settings)) return -2;
  std::string body;
  if (FetchPage(body, ItemSearchUrl(settings, false)) == -1) return -1;
  int n = 0;
  if (ParseHitCount(body, n) == -1) return -1;
  count = n;
  return 0;
}

int QueryHitList(const SettingsSnapshot& settings) {
  watchState.hitListRows = 0;
  if (KeywordIsEmpty(settings)) return -2;
  std::string body;
  if (FetchPage(body, ItemSearchUrl(settings, true)) == -1) return -1;
  if (ParseHitList(body) == -1) return -1;
  watchState.hitListRows = watchState.hitCount;
  return 0;
}

int QuerySalesStatus(int& state, const SettingsSnapshot& settings) {
  state = 0;
  if (KeywordIsEmpty(settings)) return -2;
  std::string page;
  const std::string url =
      CurrentPieces().mallSearchBaseUrl + EncodeKeyword(settings.scanKeyword.c_str());
  if (FetchPage(page, url) == -1) return -1;
  state = ParseSalesStatus(page);
  return 0;
}

void SetServiceHostsForTesting(const std::string& itemSearchHost,
                               const std::string& mallSearchHost) {
  std::lock_guard lock(piecesMutex);
  *pieces = MakePieces(itemSearchHost, mallSearchHost);
}
