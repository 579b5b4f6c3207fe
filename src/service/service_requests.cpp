#include "service/service_requests.h"

#include <mutex>

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

// The price goes into the URL as stored, except that every byte outside the unreserved set is
// percent-encoded, so that no price text can break the URL or add a parameter of its own.
std::string EncodePrice(const std::string& price) {
  static constexpr char kHex[] = "0123456789ABCDEF";
  std::string encoded;
  for (const char c : price) {
    const auto b = static_cast<unsigned char>(c);
    if ((b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') || (b >= '0' && b <= '9') || b == '-' ||
        b == '.' || b == '_' || b == '~') {
      encoded.push_back(c);
    } else {
      encoded += {'%', kHex[b >> 4], kHex[b & 0x0F]};
    }
  }
  return encoded;
}

// Builds the item-search URL from the settings as they stand now. The caller holds
// itemSearchMutex.
void BuildItemSearchUrl(bool withAffiliateId) {
  const UrlPieces p = CurrentPieces();
  const WatchSettings& s = watchState.settings;
  const std::string keyword = s.scanKeyword;
  const std::string price = s.scanPrice;
  std::string& url = watchState.itemSearchUrl;
  url = p.itemSearchBaseUrl;
  if (withAffiliateId) url += p.affiliateIdPiece;
  url += p.keywordPiece + EncodeKeyword(keyword.c_str()) + p.sortPiece;
  url += s.scanZaiko != 0 ? "&availability=1" : "&availability=0";
  if (!price.empty()) url += "&maxPrice=" + EncodePrice(price);
}

}  // namespace

bool KeywordIsEmpty() { return watchState.settings.scanKeyword.empty(); }

int QueryHitCount(int& count) {
  count = -1;
  if (KeywordIsEmpty()) return -2;
  std::lock_guard lock(watchState.itemSearchMutex);
  BuildItemSearchUrl(false);
  if (FetchPage(watchState.itemSearchBody, watchState.itemSearchUrl) == -1) return -1;
  int n = 0;
  if (ParseHitCount(watchState.itemSearchBody, n) == -1) return -1;
  count = n;
  return 0;
}

int QueryHitList() {
  watchState.hitListRows = 0;
  if (KeywordIsEmpty()) return -2;
  std::lock_guard lock(watchState.itemSearchMutex);
  BuildItemSearchUrl(true);
  if (FetchPage(watchState.itemSearchBody, watchState.itemSearchUrl) == -1) return -1;
  if (ParseHitList(watchState.itemSearchBody) == -1) return -1;
  watchState.hitListRows = watchState.hitCount;
  return 0;
}

int QuerySalesStatus(int& state) {
  state = 0;
  if (KeywordIsEmpty()) return -2;
  const std::string keyword = watchState.settings.scanKeyword;
  watchState.salesStatusUrl = CurrentPieces().mallSearchBaseUrl + EncodeKeyword(keyword.c_str());
  if (FetchPage(watchState.salesStatusPage, watchState.salesStatusUrl) == -1) return -1;
  state = ParseSalesStatus(watchState.salesStatusPage);
  return 0;
}

void SetServiceHostsForTesting(const std::string& itemSearchHost,
                               const std::string& mallSearchHost) {
  std::lock_guard lock(piecesMutex);
  pieces = MakePieces(itemSearchHost, mallSearchHost);
}
