#include "ui/pending_stubs.h"

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <thread>

#include "service/fetch_page.h"
#include "worker/watch_worker.h"

// Answers with fetchBody, or else with the file KOBANU_STAND_IN_ANSWER names (for the program
// under Xvfb).
int FetchPage(std::string& target, std::string) {
  ++pending::fetches;
  target = pending::fetchBody;
  if (const char* file = std::getenv("KOBANU_STAND_IN_ANSWER"); target.empty() && file) {
    std::ifstream in(file, std::ios::binary);
    target.assign(std::istreambuf_iterator<char>(in), {});
  }
  return target.empty() ? -1 : 0;
}

int CheckPriceText(std::string text) {
  char* end = nullptr;
  const double value = std::strtod(text.c_str(), &end);
  if (*end != '\0') return 2;
  return value < 0 ? 1 : 0;
}

// One thread that only sleeps, as the worker does with its alert off.
void StartWatchWorker() {
  int expected = 0;
  if (!pending::workersStarted.compare_exchange_strong(expected, 1)) return;
  std::thread([] {
    for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
  }).detach();
}
