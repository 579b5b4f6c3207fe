#include "catalogue.h"

#include <algorithm>

namespace standin {

namespace {

// Shop indexes.
constexpr int kTimeZone = 0;
constexpr int kWatchKobo = 1;
constexpr int kLeather = 2;
constexpr int kLuckyBags = 3;
constexpr int kHinata = 4;
constexpr int kSmartGear = 5;

constexpr bool kInStock = true;
constexpr bool kSoldOut = false;
constexpr bool kPostageSeparate = false;

using enum TimeSale;

}  // namespace

const std::vector<Shop>& Shops() {
  static const std::vector<Shop> shops = {
      {"timezone", "時計のタイムゾーン", 558929}, {"watchkobo", "ウォッチ工房", 558929},
      {"tandm", "革小物の店 T&M", 558953},        {"fukubukuro-ichiba", "福袋市場", 100000},
      {"hinata", "生活雑貨ひなた", 215783},       {"smartgear", "スマート&ギア", 564895},
  };
  return shops;
}

// 38 watches (35 in stock), so that a watch search fills a 30-row list with or without the
// in-stock check; lucky bags whose cheapest sale has ended; wallets whose first badge says only a
// few are left; mugs without any time sale; a smartwatch model whose bands, film and cable
// undercut the watch itself, which costs 9,480 yen with postage apart or 12,800 with it.
const std::vector<CatalogueItem>& Catalogue() {
  static const std::vector<CatalogueItem> items = {
      {10000001, "ミナト 腕時計 メンズ ソーラー電波 ステンレスバンド", 12800, kInStock, kTimeZone,
       1, Running},
      {10000002, "ミナト 腕時計 レディース ソーラー ピンクゴールド", 15800, kInStock, kTimeZone, 2,
       None},
      {10000003, "アカツキ 腕時計 ダイバーズ 200m防水 自動巻き", 39800, kInStock, kWatchKobo, 1,
       None},
      {10000004, "アカツキ 腕時計 クロノグラフ ブラック", 24800, kInStock, kWatchKobo, 5, Running},
      {10000005, "ソラノ 腕時計 デジタル 耐衝撃 ブルー", 9800, kInStock, kTimeZone, 1, None},
      {10000006, "ソラノ 腕時計 デジタル 耐衝撃 ブラック", 9800, kInStock, kTimeZone, 1, None},
      {10000007, "ソラノ 腕時計 キッズ 防水 ストップウォッチ付き", 2980, kInStock, kTimeZone, 10,
       Running},
      {10000008, "カゼミ 腕時計 アナログ 革ベルト ブラウン", 6480, kInStock, kWatchKobo, 1, None},
      {10000009, "カゼミ 腕時計 ペアウォッチ 2本セット", 19800, kInStock, kWatchKobo, 2, None},
      {10000010, "ホシゾラ 腕時計 ムーンフェイズ 限定モデル", 298000, kSoldOut, kWatchKobo, 1,
       None},
      {10000011, "ホシゾラ 腕時計 トゥールビヨン", 138000, kInStock, kWatchKobo, 1, None},
      {10000012, "ミナト 腕時計 チタン 軽量 電波", 29800, kInStock, kTimeZone, 3, None},
      {10000013, "ミナト 腕時計 GMT ワールドタイム", 45800, kInStock, kTimeZone, 1, None},
      {10000014, "アカツキ 腕時計 パイロット 大型", 68000, kInStock, kWatchKobo, 1, None},
      {10000015, "アカツキ 腕時計 メンズ スケルトン 自動巻き", 52000, kInStock, kWatchKobo, 2,
       Running},
      {10000016, "ソラノ 腕時計 スマートウォッチ 心拍計", 7980, kInStock, kTimeZone, 5, None},
      {10000017, "ソラノ 腕時計 ランニング GPS", 18800, kInStock, kTimeZone, 1, None},
      {10000018, "カゼミ 腕時計 レディース ブレスレット", 4980, kInStock, kWatchKobo, 1, None},
      {10000019, "カゼミ 腕時計 ナースウォッチ 逆表示", 1980, kInStock, kWatchKobo, 1, None},
      {10000020, "ホシゾラ 腕時計 ドレスウォッチ 薄型", 88000, kInStock, kWatchKobo, 1, None},
      {10000021, "ミナト 腕時計 アンティーク調 手巻き", 33000, kInStock, kTimeZone, 1, None},
      {10000022, "ミナト 腕時計 木製 ウッドウォッチ", 11800, kInStock, kTimeZone, 2, None},
      {10000023, "アカツキ 腕時計 ミリタリー 布ベルト", 5980, kInStock, kWatchKobo, 1, None},
      {10000024, "アカツキ 腕時計 電波 ソーラー 10気圧防水", 21800, kInStock, kWatchKobo, 1, None},
      {10000025, "ソラノ 腕時計 スタンダード デジタル", 1480, kInStock, kTimeZone, 1, None},
      {10000026, "ソラノ 腕時計 アナデジ 20気圧防水", 12000, kInStock, kTimeZone, 1, None},
      {10000027, "カゼミ 腕時計 メッシュベルト シルバー", 8800, kInStock, kWatchKobo, 1, None},
      {10000028, "カゼミ 腕時計 カラフル ラバーベルト", 3480, kInStock, kWatchKobo, 1, None},
      {10000029, "ホシゾラ 腕時計 レディース ダイヤモンド", 148000, kSoldOut, kWatchKobo, 1, None},
      {10000030, "ホシゾラ 腕時計 クラシック ローマ数字", 64000, kInStock, kWatchKobo, 1, None},
      {10000031, "ミナト 腕時計 ビジネス 日付表示", 14800, kInStock, kTimeZone, 1, None},
      {10000032, "ミナト 腕時計 ユニセックス ミニマル", 6980, kInStock, kTimeZone, 1, None},
      {10000033, "アカツキ 腕時計 レトロ デジタル ゴールド", 4280, kInStock, kWatchKobo, 1, None},
      {10000034, "アカツキ 腕時計 ワールドタイマー 電波", 36000, kInStock, kWatchKobo, 1, None},
      {10000035, "ソラノ 腕時計 潜水 300m ISO規格", 58000, kSoldOut, kTimeZone, 1, None},
      {10000036, "ソラノ 腕時計 ソーラー 充電不要 キャンプ", 16800, kInStock, kTimeZone, 1, None},
      {10000037, "カゼミ 腕時計 刻印無料 名入れ ギフト", 9980, kInStock, kWatchKobo, 5, None},
      {10000038, "ホシゾラ 腕時計 メンズ 機械式 シースルーバック", 98000, kInStock, kWatchKobo, 1,
       None},
      {20000001, "福袋 2025 雑貨 詰め合わせ 5点", 3000, kInStock, kLuckyBags, 1, Running},
      {20000002, "福袋 レディース 服 3点セット", 5000, kInStock, kLuckyBags, 1, Running},
      {20000003, "福袋 コーヒー豆 お試し 4種", 2160, kInStock, kLuckyBags, 2, Ended},
      {20000004, "福袋 和食器 10点", 8800, kSoldOut, kLuckyBags, 1, None},
      {30000001, "本革 長財布 メンズ ブラック", 8980, kInStock, kLeather, 1, None},
      {30000002, "ミニ財布 レディース 三つ折り", 4980, kInStock, kLeather, 3, FewLeft},
      {30000003, "【限定】<本革> 長財布 & 小銭入れセット", 12800, kInStock, kLeather, 1, None},
      {30000004, "がま口 財布 和柄", 2480, kInStock, kLeather, 1, Running},
      {30000005, "財布 二つ折り 牛革 キャメル", 6800, kSoldOut, kLeather, 1, None},
      {40000001, "マグカップ 北欧 350ml", 1280, kInStock, kHinata, 1, None},
      {40000002, "マグカップ 保温 ステンレス", 2480, kInStock, kHinata, 1, None},
      {40000003, "今治タオル バスタオル 2枚組", 3980, kInStock, kHinata, 2, Running},
      {50000001, "ソラノ SZ100 スマートウォッチ 本体 ブラック", 12800, kInStock, kSmartGear, 1,
       None},
      {50000002, "ソラノ SZ100 スマートウォッチ 本体 ホワイト 箱なし", 9480, kInStock, kSmartGear,
       1, None, kPostageSeparate},
      {50000003, "SZ100 対応 交換ベルト シリコン 3色", 480, kInStock, kSmartGear, 1, None},
      {50000004, "SZ100 保護フィルム 2枚入り", 380, kInStock, kSmartGear, 1, None},
      {50000005, "SZ100 対応 メタルベルト ステンレス", 5980, kInStock, kSmartGear, 1, None,
       kPostageSeparate},
      {50000006, "SZ100 充電ケーブル 1m", 1280, kInStock, kSmartGear, 1, None},
  };
  return items;
}

std::string ItemCode(const CatalogueItem& item) {
  return std::string(Shops()[item.shop].code) + ":" + std::to_string(item.number);
}

const CatalogueItem* FindItem(std::string_view itemCode) {
  for (const CatalogueItem& item : Catalogue()) {
    if (ItemCode(item) == itemCode) return &item;
  }
  return nullptr;
}

std::vector<std::string_view> Words(std::string_view keyword) {
  static constexpr std::string_view kIdeographicSpace = "\u3000";
  std::vector<std::string_view> words;
  while (!keyword.empty()) {
    const size_t ascii = keyword.find(' ');
    const size_t ideographic = keyword.find(kIdeographicSpace);
    const size_t end = std::min(ascii, ideographic);
    if (end > 0) words.push_back(keyword.substr(0, end));
    if (end == keyword.npos) break;
    keyword.remove_prefix(end + (end == ascii ? 1 : kIdeographicSpace.size()));
  }
  return words;
}

std::vector<const CatalogueItem*> FindItems(const std::vector<std::string_view>& words,
                                            bool inStockOnly, std::optional<long> maxPrice) {
  std::vector<const CatalogueItem*> found;
  for (const CatalogueItem& item : Catalogue()) {
    const std::string_view name = item.name;
    const bool named = std::all_of(words.begin(), words.end(), [&](std::string_view word) {
      return name.find(word) != name.npos;
    });
    if (named && (item.inStock || !inStockOnly) && (!maxPrice || item.price <= *maxPrice)) {
      found.push_back(&item);
    }
  }
  std::stable_sort(found.begin(), found.end(), [](const CatalogueItem* a, const CatalogueItem* b) {
    return a->price < b->price;
  });
  return found;
}

}  // namespace standin
