#pragma once

#include <string>

// The address of today's item-search service; the [SERVICE] section may name another.
inline constexpr const char* kCurrentServiceEndpoint =
    "https://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20260701";

// The [SERVICE] section of setting.ini, written by the user. With an application id and an
// access key the item searches and the time-sale check go to today's service, and every check
// is logged; without them nothing changes.
struct ServiceSettings {
  std::string applicationId;
  std::string accessKey;
  std::string affiliateId;  // optional
  std::string endpoint;     // empty: kCurrentServiceEndpoint
  std::string referer;      // sent as Referer, and its origin as Origin, when set
  bool log = false;         // LOG=1: the check log also without the id and the key

  bool Enabled() const { return !applicationId.empty() && !accessKey.empty(); }
};
