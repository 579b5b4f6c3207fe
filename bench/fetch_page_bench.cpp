#include <benchmark/benchmark.h>
#include <curl/curl.h>

#include <memory>
#include <string>

#include "platform/http/http_request.h"
#include "service/fetch_page.h"
#include "support/standin_mall.h"

namespace {

testing_support::StandInMall& Mall() {
  static testing_support::StandInMall mall;
  return mall;
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

size_t Collect(char* data, size_t size, size_t count, void* body) {
  static_cast<std::string*>(body)->append(data, size * count);
  return size * count;
}

// The floor for FetchPage: the same transfer into memory with nothing but libcurl, a fresh easy
// handle each time as FetchPage has.
void BareCurlBody(benchmark::State& state) {
  const std::string url = BodyUrl(state);
  curl_global_init(CURL_GLOBAL_DEFAULT);
  std::string body;
  for (auto _ : state) {
    body.clear();
    const std::unique_ptr<CURL, void (*)(CURL*)> handle(curl_easy_init(), curl_easy_cleanup);
    curl_easy_setopt(handle.get(), CURLOPT_URL, url.c_str());
    curl_easy_setopt(handle.get(), CURLOPT_WRITEFUNCTION, Collect);
    curl_easy_setopt(handle.get(), CURLOPT_WRITEDATA, &body);
    if (curl_easy_perform(handle.get()) != CURLE_OK ||
        static_cast<int64_t>(body.size()) != state.range(0)) {
      state.SkipWithError("the transfer failed");
      break;
    }
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}

// Wall-clock time: most of the work happens in the stand-in's process.
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

}  // namespace

BENCHMARK_MAIN();
