#pragma once

#include <chrono>

namespace service {

// The IchibaItem/Search service takes at most one request per second from an application. Every
// request to it waits here first for its start: a whole interval (a second and a little more) after
// the start of the one before. The start is reserved and nothing is held while the request is made,
// so a request stalled on one thread delays the other thread's by no more than the interval.
void WaitForServiceTurn();

// A second, and a tenth for the way there: two requests that leave a second apart may arrive
// closer than that.
inline constexpr std::chrono::milliseconds kServiceInterval{1100};

// Replaces the interval between two starts, for tests; returns the one it replaces.
std::chrono::milliseconds SetServiceIntervalForTesting(std::chrono::milliseconds interval);

}  // namespace service
