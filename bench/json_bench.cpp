#include <benchmark/benchmark.h>

#include <string>

#include <simdjson.h>
#include <nlohmann/json.hpp>

#include "service/json_answer.h"
#include "state/watch_state.h"

// The two JSON libraries of Debian on the IchibaItem/Search service's answers: a full answer of 30
// items as the service sends it without elements (about 60 KB), and one of 1 MB (long captions),
// each read for the six cells of every item.
namespace {

std::string Answer(size_t captionBytes) {
  std::string caption;
  while (caption.size() < captionBytes) caption += "ソーラー電波 腕時計 商品説明 caption ";
  std::string items;
  for (int i = 0; i < 30; ++i) {
    const nlohmann::json item = {
        {"itemName", "ミナト 腕時計 メンズ ソーラー電波 ステンレスバンド " + std::to_string(i)},
        {"catchcopy", "送料無料！ポイント10倍"},
        {"itemCode", "watchshop:" + std::to_string(10000000 + i)},
        {"itemPrice", 4980 + i},
        {"itemCaption", caption},
        {"itemUrl", "https://item.rakuten.co.jp/watchshop/" + std::to_string(i) + "/"},
        {"affiliateUrl", "https://hb.afl.rakuten.co.jp/hgc/1a2b3c4d/?pc=https%3A%2F%2Fitem"},
        {"availability", 1},
        {"taxFlag", 0},
        {"postageFlag", 0},
        {"creditCardFlag", 1},
        {"imageFlag", 1},
        {"mediumImageUrls", {"https://thumbnail.image.rakuten.co.jp/a.jpg?_ex=128x128"}},
        {"smallImageUrls", {"https://thumbnail.image.rakuten.co.jp/a.jpg?_ex=64x64"}},
        {"reviewCount", 120 + i},
        {"reviewAverage", 4.25},
        {"pointRate", 2},
        {"pointRateStartTime", ""},
        {"pointRateEndTime", ""},
        {"shopName", "時計のタイムゾーン"},
        {"shopCode", "timezone"},
        {"shopUrl", "https://www.rakuten.co.jp/timezone/"},
        {"genreId", "558929"},
        {"tagIds", {1000901, 1000902, 1000903}}};
    items += (i > 0 ? "," : "") + item.dump();
  }
  return R"({"count":345,"page":1,"first":1,"last":30,"hits":30,"carrier":0,"pageCount":12,)"
         R"("Items":[)" +
         items + R"(],"GenreInformation":[],"TagInformation":[]})";
}

const std::string& SmallAnswer() {
  static const std::string body = Answer(300);
  return body;
}

const std::string& LargeAnswer() {
  static const std::string body = Answer(33'000);
  return body;
}

void Report(benchmark::State& state, const std::string& body) {
  state.SetBytesProcessed(state.iterations() * static_cast<int64_t>(body.size()));
  state.counters["bytes"] = static_cast<double>(body.size());
}

// nlohmann/json as the program uses it: parsed with a filter that keeps only the read fields.
void NlohmannFiltered(benchmark::State& state, const std::string& body) {
  if (ReadJsonHitList(body) != 0 || watchState.hitCount != 30) {
    state.SkipWithError("the answer was not read");
  }
  for (auto _ : state) benchmark::DoNotOptimize(ReadJsonHitList(body));
  Report(state, body);
}

// nlohmann/json building the whole document, then reading the cells.
void NlohmannDocument(benchmark::State& state, const std::string& body) {
  for (auto _ : state) {
    const nlohmann::json answer = nlohmann::json::parse(body, nullptr, false);
    size_t total = 0;
    for (const auto& item : answer["Items"]) {
      total += item["itemName"].get_ref<const std::string&>().size() +
               item["shopName"].get_ref<const std::string&>().size() +
               item["itemPrice"].get<int64_t>() + item["pointRate"].get<int64_t>();
    }
    benchmark::DoNotOptimize(total);
  }
  Report(state, body);
}

// simdjson's on-demand parser reading the same cells.
void SimdjsonOnDemand(benchmark::State& state, const std::string& body) {
  simdjson::ondemand::parser parser;
  const simdjson::padded_string padded(body);
  for (auto _ : state) {
    auto document = parser.iterate(padded);
    size_t total = 0;
    for (auto item : document["Items"]) {
      std::string_view name, shop;
      int64_t price = 0, rate = 0;
      if (item["itemName"].get(name) || item["itemPrice"].get(price) ||
          item["pointRate"].get(rate) || item["shopName"].get(shop)) {
        state.SkipWithError("simdjson could not read an item");
        break;
      }
      total += name.size() + shop.size() + static_cast<size_t>(price + rate);
    }
    benchmark::DoNotOptimize(total);
  }
  Report(state, body);
}

BENCHMARK_CAPTURE(NlohmannFiltered, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(NlohmannFiltered, answer_1_mb, LargeAnswer());
BENCHMARK_CAPTURE(NlohmannDocument, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(NlohmannDocument, answer_1_mb, LargeAnswer());
BENCHMARK_CAPTURE(SimdjsonOnDemand, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(SimdjsonOnDemand, answer_1_mb, LargeAnswer());

}  // namespace

BENCHMARK_MAIN();
