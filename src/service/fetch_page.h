#pragma once

#include <string>

// One HTTP GET of an absolute http URL. The target is emptied before any traffic; on status 200
// the body is appended to it piece by piece as the line reader delivers it. 0 when the exchange
// ran to its end, whatever the status (any status but 200 leaves the target empty); -1 when the
// HTTP layer failed, with the target holding what was appended before the failure.
int FetchPage(std::string& target, std::string url);
