#include "ui/pending_stubs.h"

#include <cerrno>
#include <cstdlib>

#include "service/fetch_page.h"
#include "worker/watch_worker.h"

int FetchPage(std::string& target, std::string) {
  ++pending::fetches;
  target = pending::fetchBody;
  return target.empty() ? -1 : 0;
}

int CheckPriceText(std::string text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0') return 2;
  return value < 0 ? 1 : 0;
}

void StartWatchWorker() {
  int expected = 0;
  pending::workersStarted.compare_exchange_strong(expected, 1);
}
