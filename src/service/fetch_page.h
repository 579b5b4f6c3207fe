#pragma once

#include <string>

// What became of one exchange, for the check log.
struct FetchReport {
  int status = 0;       // the final answer's status; 0 when none arrived
  std::string failure;  // why the HTTP layer failed; empty when it did not
};

// One HTTP GET of an absolute http URL. The target is emptied before any traffic; on status 200
// the body is appended to it piece by piece as the line reader delivers it. 0 when the exchange
// ran to its end, whatever the status (any status but 200 leaves the target empty); -1 when the
// HTTP layer failed, with the target holding what was appended before the failure.
int FetchPage(std::string& target, std::string url);
int FetchPage(std::string& target, std::string url, FetchReport& report);

// The same GET for the IchibaItem/Search service: JSON asked for, the referer (when not empty)
// sent as Referer and its origin as Origin, and the body kept whatever the status, since the
// service explains its errors there.
int FetchServiceAnswer(std::string& target, std::string url, const std::string& referer,
                       FetchReport& report);

// The origin of an address, as browsers send it: "scheme://host[:port]", without user
// information, path, query or fragment. An address without "://" as it is.
std::string OriginOf(const std::string& address);
