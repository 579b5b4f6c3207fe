#pragma once

#include <chrono>

// Today's service takes at most one request per second from an application. Every request to it
// first waits for its turn here: a second request within the interval waits, it is not dropped.
void WaitForServiceTurn();

// Replaces the interval (one second) between two requests; for tests.
void SetServiceIntervalForTesting(std::chrono::milliseconds interval);
