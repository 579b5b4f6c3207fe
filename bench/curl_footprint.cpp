// The resident memory that the HTTP layer's libcurl costs a process that has nothing else to do:
// the libraries it loads, their start-up and one exchange. Every program that fetches with this
// library pays it; the desktop figures set it beside the program's lead over the toolkit's floor.
//
//   curl_footprint URL      prints "BEFORE_KB AFTER_KB" (VmRSS before and after)
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/http/curl_transfer.h"

namespace {

long ResidentKb() {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with("VmRSS:")) return std::stol(line.substr(6));
  }
  return -1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: curl_footprint URL\n");
    return 2;
  }
  const long before = ResidentKb();
  const platform::http::TransferResult result =
      platform::http::PerformGet(argv[1], {}, false, false);
  if (result.status != 200) {
    std::fprintf(stderr, "curl_footprint: no answer from %s\n", argv[1]);
    return 1;
  }
  std::printf("%ld %ld\n", before, ResidentKb());
}
