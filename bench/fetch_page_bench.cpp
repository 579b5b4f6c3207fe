#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/http/http_request.h"
#include "service/check_outcome.h"
#include "service/fetch_page.h"
#include "service/router/service_requests.h"
#include "standin_service.h"
#include "support/mall_keywords.h"
#include "support/standin_mall.h"
#include "support/temp_dir.h"

// The fetches against the stand-in mall, each beside a bare libcurl transfer of the same URL and
// the same answer: FetchPage over http, and the [SERVICE] count check over TLS.
namespace {

testing_support::StandInMall& Mall() {
  static const testing_support::TempDir certificates;
  static testing_support::StandInMall mall(0, certificates.path());
  return mall;
}

size_t Collect(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// The floor: a GET of url into memory with nothing but libcurl, a fresh easy handle each time as
// the HTTP layer makes one per exchange, and libcurl's defaults otherwise; with a caFile, that
// authority alone is trusted, as the HTTP layer is told to trust the stand-in's.
bool BareGet(const std::string& url, const std::string& caFile, std::string& body) {
  body.clear();
  const std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
  curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
  curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, Collect);
  curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &body);
  if (!caFile.empty()) {
    curl_easy_setopt(handle.get(), CURLOPT_CAINFO, caFile.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_CAPATH, nullptr);
  }
  return curl_easy_perform(handle.get()) == CURLE_OK;
}

// A body of exactly that many bytes, in 64-byte lines.
std::string BodyUrl(benchmark::State& state) {
  return Mall().Url("/fault/size?bytes=" + std::to_string(state.range(0)));
}

void FetchPageBody(benchmark::State& state) {
  const std::string url = BodyUrl(state);
  std::string target;
  for (auto _ : state) {
    if (FetchPage(target, url) != 0 || static_cast<int64_t>(target.size()) != state.range(0)) {
      state.SkipWithError("the fetch failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// FetchPage without its line reading: the request, sent and answered, as FetchPage makes it.
void SendRequestBody(benchmark::State& state) {
  const std::string url = BodyUrl(state);
  for (auto _ : state) {
    platform::http::HttpRequest request("Session1", url);
    request.AddRequestHeaders("Accept: text/*\r\nUser-Agent: xxxx\r\n");
    request.SendRequest();
    if (request.QueryInfoStatusCode() != 200) {
      state.SkipWithError("the request failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

void BareCurlBody(benchmark::State& state) {
  const std::string url = BodyUrl(state);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::string body;
  for (auto _ : state) {
    if (!BareGet(url, "", body) || static_cast<int64_t>(body.size()) != state.range(0)) {
      state.SkipWithError("the transfer failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// The hourly check with [SERVICE] pointed at the stand-in's TLS port (its certificate signed by
// the tests' authority), for 腕時計 up to 5,000 yen, as the worker asks it: the count and the
// cheapest match in one request, read and told as an outcome.
struct ServiceCheck {
  SettingsSnapshot settings{.scanFlag = 1,
                            .scanKeyword = testing_support::kWatch,
                            .scanPrice = "5000",
                            .scanZaiko = 0,
                            .scanTimesale = 0};
  ServiceSettings service;
  service::CheckOutcome first;  // its url is the request, its answer what came back
};

const ServiceCheck& Check() {
  static const ServiceCheck check = [] {
    testing_support::StandInMall& mall = Mall();
    platform::http::SetTrustedCaFileForTesting(mall.CaFile());
    ServiceCheck made;
    made.service =
        StandInService(mall, "https://127.0.0.1:" + std::to_string(mall.TlsPort("good")) +
                                 standin::kSearchPath20260701);
    made.first = service::AskHitCount(made.settings, made.service);
    return made;
  }();
  return check;
}

void ServiceCountCheck(benchmark::State& state) {
  const ServiceCheck& check = Check();
  for (auto _ : state) {
    const service::CheckOutcome outcome = service::AskHitCount(check.settings, check.service);
    if (!outcome.Answered() || !outcome.found || outcome.answer != check.first.answer) {
      state.SkipWithError("the check failed");
      break;
    }
  }
}

// The floor for the check: the same https URL, and so the same answer, through bare libcurl.
void BareCurlServiceAnswer(benchmark::State& state) {
  const ServiceCheck& check = Check();
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::string body;
  for (auto _ : state) {
    if (!BareGet(check.first.url, Mall().CaFile(), body) ||
        service::AnswerText(200, body) != check.first.answer) {
      state.SkipWithError("the transfer failed");
      break;
    }
  }
}

// Wall-clock time: much of the work happens in the stand-in's process.
BENCHMARK(FetchPageBody)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(SendRequestBody)
    ->Arg(100 << 10)
    ->Arg(1 << 20)
    ->UseRealTime()
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(BareCurlBody)->Arg(100 << 10)->Arg(1 << 20)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(ServiceCountCheck)->UseRealTime()->Unit(benchmark::kMicrosecond);
BENCHMARK(BareCurlServiceAnswer)->UseRealTime()->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
