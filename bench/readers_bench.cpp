#include <benchmark/benchmark.h>
#include <iconv.h>
#include <malloc.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <string_view>

#include "base/byte_search.h"
#include "service/described/item_search_reader.h"
#include "service/described/sales_status_reader.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

// An item-search answer of 30 records, about 100 KB, mostly Japanese as the real ones are.
const std::string& HitListBody() {
  static const std::string body = [] {
    std::string record =
        "<Item>\n<itemName>ソーラー電波 腕時計 メンズ 10気圧防水 ステンレス</itemName>\n"
        "<catchcopy>送料無料！ポイント10倍 今だけ特価でご提供中です</catchcopy>\n"
        "<itemCode>watchshop:10000123</itemCode>\n<itemPrice>4980</itemPrice>\n<itemCaption>";
    for (int i = 0; i < 130; ++i) record += "商品説明 caption ";
    record +=
        "</itemCaption>\n<itemUrl>http://item.example.test/watchshop/10000123/</itemUrl>\n"
        "<affiliateUrl>http://item.example.test/watchshop/10000123/?scid=af_1&amp;sc2id=1"
        "</affiliateUrl>\n<availability>1</availability>\n<pointRate>2</pointRate>\n"
        "<shopName>時計の店</shopName>\n<shopCode>watchshop</shopCode>\n</Item>\n";
    std::string text =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response><header:Header><Status>Success"
        "</Status></header:Header><Body><count>345</count><hits>30</hits><Items>\n";
    for (int i = 0; i < 30; ++i) text += record;
    return text + "</Items></Body></Response>\n";
  }();
  return body;
}

// A search page of 1 MB whose badge stands near its end.
const std::string& SearchPage() {
  static const std::string page = [] {
    std::string text = "<html><body>\n";
    while (text.size() < 1'000'000) {
      text += "<div class=\"item\"><a href=\"/item/1\">福袋 2027 レディース 人気</a></div>\n";
    }
    return text + "<span class=\"salesStatus\">販売終了</span></body></html>\n";
  }();
  return page;
}

void ReportBytes(benchmark::State& state, const std::string& body) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
}

// Each reader is checked once on its body first: a benchmark of a reader that finds nothing
// would measure the wrong thing.
void ParseHitListBody(benchmark::State& state) {
  if (ParseHitList(HitListBody()) != 0 || watchState.hitCount != 30) {
    state.SkipWithError("the hit list was not read");
  }
  for (auto _ : state) benchmark::DoNotOptimize(ParseHitList(HitListBody()));
  ReportBytes(state, HitListBody());
}

void ParseHitCountBody(benchmark::State& state) {
  int count = 0;
  if (ParseHitCount(HitListBody(), count) != 0 || count != 345) {
    state.SkipWithError("the count was not read");
  }
  for (auto _ : state) benchmark::DoNotOptimize(ParseHitCount(HitListBody(), count));
  ReportBytes(state, HitListBody());
}

void ParseSalesStatusPage(benchmark::State& state) {
  if (ParseSalesStatus(SearchPage()) != -2) state.SkipWithError("the badge was not read");
  for (auto _ : state) benchmark::DoNotOptimize(ParseSalesStatus(SearchPage()));
  ReportBytes(state, SearchPage());
}

// The floor of the readers: decoding the body, which every reader does first.
void Utf8ToAnsiOf(benchmark::State& state, const std::string& body) {
  for (auto _ : state) benchmark::DoNotOptimize(Utf8ToAnsi(body.c_str()));
  ReportBytes(state, body);
}

// The floor of the decoding: one bare iconv conversion of the same bytes into a buffer that is
// ready beforehand.
void BareIconvOf(benchmark::State& state, const std::string& body) {
  const iconv_t cd = iconv_open("CP932", "UTF-8");
  std::string in = body;
  std::string out(body.size() + 1, '\0');
  for (auto _ : state) {
    char* inPtr = in.data();
    char* outPtr = out.data();
    size_t inLeft = in.size(), outLeft = out.size();
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
    if (iconv(cd, &inPtr, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1) || inLeft != 0) {
      state.SkipWithError("iconv did not convert the whole body");
      break;
    }
  }
  iconv_close(cd);
  ReportBytes(state, body);
}

// The byte searches against the C library's: every occurrence of each marker of the hit list,
// and every line end of the search page, as the line reader looks for them.
const std::string_view kMarkers[] = {"/Status",    "<Status>",    "/count>",    "/hits>",
                                     "<itemName>", "</itemName>", "<shopName>", "</shopName>"};

template <class Find>
void FindEveryMarker(benchmark::State& state, Find find) {
  const std::string_view body = HitListBody();
  for (auto _ : state) {
    size_t found = 0;
    for (const std::string_view marker : kMarkers) {
      for (size_t at = 0; at < body.size(); ++found) at += find(body.substr(at), marker) + 1;
    }
    benchmark::DoNotOptimize(found);
  }
  ReportBytes(state, HitListBody());
}

template <class Find>
void FindEveryLineEnd(benchmark::State& state, Find find) {
  const std::string_view page = SearchPage();
  for (auto _ : state) {
    size_t lines = 0;
    for (size_t at = 0; at < page.size(); ++lines) at += find(page.substr(at)) + 1;
    benchmark::DoNotOptimize(lines);
  }
  ReportBytes(state, SearchPage());
}

size_t FindOr(std::string_view text, size_t found) {
  return found == text.npos ? text.size() : found;
}

BENCHMARK_CAPTURE(FindEveryMarker, FindBytes, [](std::string_view t, std::string_view m) {
  return FindOr(t, FindBytes(t, m));
});
BENCHMARK_CAPTURE(FindEveryMarker, string_view_find,
                  [](std::string_view t, std::string_view m) { return FindOr(t, t.find(m)); });
BENCHMARK_CAPTURE(FindEveryLineEnd, FindBytes,
                  [](std::string_view t) { return FindOr(t, FindBytes(t, "\n")); });
BENCHMARK_CAPTURE(FindEveryLineEnd, memchr, [](std::string_view t) {
  const void* end = std::memchr(t.data(), '\n', t.size());
  return end == nullptr ? t.size() : static_cast<size_t>(static_cast<const char*>(end) - t.data());
});
BENCHMARK_CAPTURE(FindEveryLineEnd, string_view_find,
                  [](std::string_view t) { return FindOr(t, t.find('\n')); });

BENCHMARK(ParseHitListBody);
BENCHMARK(ParseHitCountBody);
BENCHMARK_CAPTURE(Utf8ToAnsiOf, hit_list_body, HitListBody());
BENCHMARK_CAPTURE(BareIconvOf, hit_list_body, HitListBody());
BENCHMARK(ParseSalesStatusPage);
BENCHMARK_CAPTURE(Utf8ToAnsiOf, search_page, SearchPage());
BENCHMARK_CAPTURE(BareIconvOf, search_page, SearchPage());

}  // namespace

int main(int argc, char** argv) {
  // glibc moves its mmap and trim thresholds as blocks come and go, so whether a body-sized block
  // costs fresh pages from the kernel would depend on which benchmarks ran before. Fixed
  // thresholds keep every block in the heap: floors and readers are measured alike.
  mallopt(M_MMAP_THRESHOLD, 64 << 20);
  mallopt(M_TRIM_THRESHOLD, 128 << 20);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
}
