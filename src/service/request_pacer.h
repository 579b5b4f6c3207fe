#pragma once

#include <chrono>

// Today's service takes at most one request per second from an application. Every request to it
// waits here first for its start: a whole interval (one second) after the start of the one
// before. The start is reserved and nothing is held while the request is made, so a request
// stalled on one thread delays the other thread's by no more than the interval.
void WaitForServiceTurn();

// Replaces the interval between two starts; for tests.
void SetServiceIntervalForTesting(std::chrono::milliseconds interval);
