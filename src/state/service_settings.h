#pragma once

#include <string>

// The address of the IchibaItem/Search service; the [SERVICE] section may name another.
inline constexpr const char* kItemSearchEndpoint =
    "https://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20260701";

// The [SERVICE] section of setting.ini, written by the user. With an application id and an
// access key the item searches and the time-sale check go to the IchibaItem/Search service, and
// every check is logged; without them nothing changes.
struct ServiceSettings {
  std::string applicationId;
  std::string accessKey;
  std::string affiliateId;    // optional
  std::string endpoint;       // empty: kItemSearchEndpoint
  std::string referer;        // sent as Referer, and its origin as Origin, when set
  bool log = false;           // LOG=1: the check log also without the id and the key
  bool priceHistory = false;  // PRICE_HISTORY=1: the keyword's cheapest price recorded hourly
  // What narrows every search, as written (code page 932); an empty value sends nothing.
  std::string minPrice;          // MIN_PRICE: the floor in whole yen, sent as minPrice
  std::string ngKeyword;         // NG_KEYWORD: words to leave out, sent as NGKeyword
  bool postageIncluded = false;  // POSTAGE_INCLUDED=1: postage included only (postageFlag=1)

  bool Enabled() const { return !applicationId.empty() && !accessKey.empty(); }
  // The price history is recorded, and its window offered in the tray menu.
  bool RecordsPrices() const { return Enabled() && priceHistory; }
};
