#pragma once

#include <chrono>
#include <mutex>
#include <optional>
#include <string>

#include "faults.h"
#include "item_search.h"

namespace standin {

// How the IchibaItem/Search service is to behave, switched by GET /control/service.
class IchibaServiceMode {
 public:
  // deny=ip|none: every request of the API/backend application refused as from an address it
  // did not list (403); rate=strict|off: a request within a second of the one before refused
  // (429), strict from the start as the service is; fail=500|503|none: every request answered
  // with that error; retire=V[,V...]|none: those versions answered as retired too, as the next
  // retirement will; markup=N: every price N yen above the catalogue's, so that a test can move
  // the cheapest price from hour to hour (0 to begin with). False for anything else.
  bool Set(const QueryParams& params);

  bool DeniesIp();
  int Failing();
  bool Retired(const std::string& version);
  long Markup();
  // Whether this request comes too soon after the one before; notes its time.
  bool TooSoon();

 private:
  std::mutex mutex_;
  bool denyIp_ = false;
  bool strictRate_ = true;
  int failing_ = 0;
  std::string retired_;  // ",V,V,"
  long markup_ = 0;
  std::optional<std::chrono::steady_clock::time_point> last_;
};

// What the stand-in needs of a request to the IchibaItem/Search service.
struct ServiceRequest {
  std::string version;  // the path's last segment
  QueryParams params;
  std::string accessKeyHeader;
  std::string origin;
};

// The answer of the IchibaItem/Search service as JSON, formatVersion 2 or 1: the catalogue
// cheapest first, or an error with its status and body as the service sends them. self
// ("host:port") is where the items' pages are.
Answer IchibaSearchAnswer(const ServiceRequest& request, const std::string& self,
                          IchibaServiceMode& mode);

// target with the value of its accessKey parameter replaced by "****".
std::string MaskedTarget(std::string target);

}  // namespace standin
