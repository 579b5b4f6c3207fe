#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "faults.h"
#include "item_search.h"

namespace standin {

// How today's service is to behave, switched by GET /control/service.
class CurrentServiceMode {
 public:
  // deny=ip|none: every request refused as from an address the application did not list (403);
  // rate=strict|off: a request within a second of the one before is refused (429).
  // False for anything else.
  bool Set(const QueryParams& params);

  bool DeniesIp();
  // Whether this request comes too soon after the one before; notes its time.
  bool TooSoon();

 private:
  std::mutex mutex_;
  bool denyIp_ = false;
  bool strictRate_ = false;
  std::optional<std::chrono::steady_clock::time_point> last_;
};

// The answer of today's item-search service (IchibaItem/Search/20220601) as JSON, formatVersion
// 2 or 1: the catalogue cheapest first, or an error with its status. origin is the request's
// Origin header; self ("host:port") is where the items' pages are.
Answer CurrentSearchAnswer(const QueryParams& params, const std::string& origin,
                           const std::string& self, CurrentServiceMode& mode);

// target with the value of its accessKey parameter replaced by "****".
std::string MaskedTarget(std::string target);

}  // namespace standin
