// The memory a [SERVICE] check takes while it receives and reads an answer as large as the HTTP
// layer takes (32 MiB), from the stand-in mall: every item's name and address grown until the
// answer fills it (the stand-in's long fields), the worst case for the readers: the hit list keeps
// both whole, the count check keeps the start of the name and drops the address.
//
//   answer_memory count|list
//
// count: the hourly count check (one item in the answer); list: the hit list (30 items, read into
// the hit table). Prints "ANSWER_BYTES RISE_KB": the answer's size, and how far the process's
// resident memory rose during the check above what it held just before (its peak, VmHWM, reset
// then). One check per process, so that no earlier large block lingers in the heap.
#include <cstdio>
#include <fstream>
#include <string>

#include "platform/runtime/free_memory.h"
#include "service/check_outcome.h"
#include "service/fetch_page.h"
#include "service/ichiba/ichiba_item_search.h"
#include "service/router/service_requests.h"
#include "standin_service.h"
#include "state/watch_state.h"
#include "support/mall_keywords.h"
#include "support/standin_mall.h"

namespace {

constexpr size_t kAnswerLimit = 32u << 20;

long StatusKb(const std::string& field) {
  std::ifstream status("/proc/self/status");
  for (std::string line; std::getline(status, line);) {
    if (line.starts_with(field + ":")) return std::stol(line.substr(field.size() + 1));
  }
  return -1;
}

int Fail(const char* what) {
  std::fprintf(stderr, "answer_memory: %s\n", what);
  return 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string kind = argc == 2 ? argv[1] : "";
  if (kind != "count" && kind != "list") {
    std::fprintf(stderr, "usage: answer_memory count|list\n");
    return 2;
  }
  testing_support::StandInMall mall;
  const ServiceSettings service = StandInService(mall, mall.Url(standin::kSearchPath20260701));
  // 腕時計 without a ceiling: 38 items, so that the hit list has all its rows.
  const SettingsSnapshot settings{.scanFlag = 1,
                                  .scanKeyword = testing_support::kWatch,
                                  .scanPrice = "",
                                  .scanZaiko = 0,
                                  .scanTimesale = 0};
  const bool count = kind == "count";
  const auto check = [&] {
    return count ? service::AskHitCount(settings, service)
                 : service::IchibaHitList(service, settings, service.endpoint);
  };
  // A first check of the ordinary answer loads libcurl and builds every table.
  const service::CheckOutcome ordinary = check();
  if (!ordinary.Answered()) return Fail("the ordinary check failed");

  // Each character of padding adds 3 bytes to a name and 1 to an address.
  const size_t items = count ? 1 : MaxHits;
  const size_t ordinaryBytes = service::FetchServiceAnswer(ordinary.url, "").body.size();
  const std::string padding =
      "mode=long-fields&chars=" + std::to_string((kAnswerLimit - ordinaryBytes) / (4 * items));
  mall.ArmFault(padding);
  platform::ReturnFreeMemory();
  const long before = StatusKb("VmRSS");
  std::ofstream("/proc/self/clear_refs") << "5";  // VmHWM starts again from VmRSS
  const service::CheckOutcome large = check();
  const long peak = StatusKb("VmHWM");

  const bool read = count ? large.cheapest && large.cheapest->name.ends_with("長")
                          : watchState.hitCount == MaxHits &&
                                watchState.hitTable.itemName[0].size() > kAnswerLimit / 64;
  if (!large.Answered() || !read) return Fail("the large answer was not read");
  mall.ArmFault(padding);
  const service::FetchResult answer = service::FetchServiceAnswer(ordinary.url, "");
  if (answer.status != 200 || answer.body.size() > kAnswerLimit) {
    return Fail("the large answer is not as large as meant");
  }
  std::printf("%zu %ld\n", answer.body.size(), peak - before);
}
