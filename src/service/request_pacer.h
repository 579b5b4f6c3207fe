#pragma once

#include <chrono>

// Today's service takes at most one request per second from an application. A request to it is
// made while a ServiceTurn lives: the turn begins a second after the previous one ended (a
// second request waits, it is not dropped), and turns never overlap. No lock is held meanwhile.
class ServiceTurn {
 public:
  ServiceTurn();
  ~ServiceTurn();
  ServiceTurn(const ServiceTurn&) = delete;
  ServiceTurn& operator=(const ServiceTurn&) = delete;
};

// Replaces the interval (one second) between two turns; for tests.
void SetServiceIntervalForTesting(std::chrono::milliseconds interval);
