#include <benchmark/benchmark.h>

#include <algorithm>
#include <array>
#include <charconv>
#include <optional>
#include <string>
#include <string_view>

#include <simdjson.h>
#include <nlohmann/json.hpp>

#include "service/ichiba/answer_fields.h"
#include "service/ichiba/json_answer.h"
#include "state/watch_state.h"

// The reading of the IchibaItem/Search service's JSON answers beside simdjson's: a full answer of
// 30 items as the service sends it without elements (34 KB), and one of 1 MB (long captions).
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

// The program's reading: one pass that keeps the count and the items' fields the readers know.
void ReadAnswer(benchmark::State& state, const std::string& body) {
  for (auto _ : state) benchmark::DoNotOptimize(service::ReadAnswerFields(body));
  Report(state, body);
}

// The same, and then the hit list's cells in code page 932 (as the hit list reads the answer).
void ReadHitList(benchmark::State& state, const std::string& body) {
  if (service::ReadJsonHitList(body) != 0 || watchState.hitCount != 30) {
    state.SkipWithError("the answer was not read");
  }
  for (auto _ : state) benchmark::DoNotOptimize(service::ReadJsonHitList(body));
  Report(state, body);
}

// The item fields that ReadAnswerFields keeps, in ItemField's order.
constexpr std::array<std::string_view, service::kItemFieldCount> kItemFieldNames = {
    "itemName",  "itemCode", "itemPrice", "itemUrl", "affiliateUrl",
    "pointRate", "shopName", "startTime", "endTime", "postageFlag"};

std::optional<service::AnswerValue> ValueOf(simdjson::ondemand::value value) {
  simdjson::ondemand::json_type type;
  if (value.type().get(type)) return std::nullopt;
  std::string_view text;
  if (type == simdjson::ondemand::json_type::string) {
    if (value.get_string().get(text)) return std::nullopt;
    return service::AnswerValue{service::AnswerValue::Kind::kText, std::string(text), std::nullopt,
                                false};
  }
  if (type != simdjson::ondemand::json_type::number) return service::AnswerValue{};
  text = value.raw_json_token();
  text = text.substr(0, text.find_last_not_of(" \t\r\n") + 1);
  service::AnswerValue number{service::AnswerValue::Kind::kNumber, std::string(text), std::nullopt,
                              false};
  uint64_t whole = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), whole);
  if (error == std::errc() && end == text.data() + text.size()) number.whole = whole;
  return number;
}

// The floor: simdjson's on-demand parser filling the same AnswerFields with the same values.
std::optional<service::AnswerFields> ReadWithSimdjson(simdjson::ondemand::parser& parser,
                                                      const simdjson::padded_string& body) {
  simdjson::ondemand::document document;
  simdjson::ondemand::object root;
  if (parser.iterate(body).get(document) || document.get_object().get(root)) return std::nullopt;
  service::AnswerFields fields;
  for (auto member : root) {
    std::string_view name;
    simdjson::ondemand::value value;
    if (member.unescaped_key().get(name) || member.value().get(value)) return std::nullopt;
    if (name == "count") fields.count = ValueOf(value);
    simdjson::ondemand::array items;
    if (name != "Items" || value.get_array().get(items)) continue;
    fields.itemsIsArray = true;
    fields.items.reserve(MaxHits);
    for (auto element : items) {
      simdjson::ondemand::object object;
      if (fields.items.size() >= static_cast<size_t>(MaxHits)) break;
      service::AnswerItem& item = fields.items.emplace_back();
      if (element.get_object().get(object)) continue;
      item.isObject = true;
      for (auto field : object) {
        if (field.unescaped_key().get(name) || field.value().get(value)) return std::nullopt;
        const auto known = std::find(kItemFieldNames.begin(), kItemFieldNames.end(), name);
        if (known != kItemFieldNames.end()) {
          item.direct[static_cast<size_t>(known - kItemFieldNames.begin())] = ValueOf(value);
        }
      }
    }
  }
  return fields;
}

void Simdjson(benchmark::State& state, const std::string& body) {
  simdjson::ondemand::parser parser;
  const simdjson::padded_string padded(body);
  const auto read = ReadWithSimdjson(parser, padded);
  const auto ours = service::ReadAnswerFields(body);
  if (!read || !ours || read->items.size() != ours->items.size() ||
      read->items[0].direct[0]->text != ours->items[0].direct[0]->text ||
      read->count->whole != ours->count->whole) {
    state.SkipWithError("simdjson did not read what service::ReadAnswerFields reads");
  }
  for (auto _ : state) benchmark::DoNotOptimize(ReadWithSimdjson(parser, padded));
  Report(state, body);
}

BENCHMARK_CAPTURE(ReadAnswer, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(ReadAnswer, answer_1_mb, LargeAnswer());
BENCHMARK_CAPTURE(ReadHitList, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(ReadHitList, answer_1_mb, LargeAnswer());
BENCHMARK_CAPTURE(Simdjson, answer_30_items, SmallAnswer());
BENCHMARK_CAPTURE(Simdjson, answer_1_mb, LargeAnswer());

}  // namespace

BENCHMARK_MAIN();
