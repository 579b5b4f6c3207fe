#pragma once

#include <string>

// The address of today's item-search service; the [SERVICE] section may name another.
inline constexpr const char* kCurrentServiceEndpoint =
    "https://openapi.rakuten.co.jp/ichibams/api/IchibaItem/Search/20220601";

// The [SERVICE] section of setting.ini, written by the user. With an application id and an
// access key the item searches go to today's service; without them nothing changes.
struct ServiceSettings {
  std::string applicationId;
  std::string accessKey;
  std::string affiliateId;  // optional
  std::string endpoint;     // empty: kCurrentServiceEndpoint
  std::string referer;      // sent as Referer and Origin when set

  bool Enabled() const { return !applicationId.empty() && !accessKey.empty(); }
};
