#include "ichiba_search.h"

#include <algorithm>
#include <ctime>
#include <sstream>
#include <string_view>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalogue.h"
#include "service_keys.h"

namespace standin {

namespace {

using nlohmann::json;

constexpr char kJson[] = "application/json; charset=UTF-8";
constexpr int kMostHits = 30;

// The service's answers, byte for byte where the public record gives them (documentation and
// clients in use, May to October 2026). Raw captures of the classic form put the description
// first; the gateway in front of the service answers credential, origin and rate failures in
// forms of its own.
Answer Classic(int status, const std::string& error, const std::string& description) {
  return {status, kJson,
          R"({"error_description":")" + description + R"(","error":")" + error + R"("})"};
}

Answer Gateway(int status, const std::string& message) {
  return {status, kJson,
          R"({"errors":{"errorCode":)" + std::to_string(status) + R"(,"errorMessage":")" + message +
              R"("}})"};
}

Answer WrongParameter(const std::string& description) {
  return Classic(400, "wrong_parameter", description);
}

// Quoted so by every client that met it (2026-08-17 on): the error first.
Answer RetiredVersion() {
  return {400, kJson,
          R"({"error":"wrong_parameter","error_description":"API Configuration not found"})"};
}

bool IsServedVersion(const std::string& version) {
  return version == "20260701" || version == "20260401";
}

// The time sale of an item: a few items of the catalogue have one, in Japan time.
enum class SaleWindow { kNone, kRunning, kEndedHalfAnHourAgo, kEndedTwoHoursAgo };

SaleWindow SaleWindowOf(const CatalogueItem& item) {
  switch (item.number) {
    case 10000001:  // 腕時計: a sale running
      return SaleWindow::kRunning;
    case 20000003:  // 福袋: a sale that ended half an hour ago
      return SaleWindow::kEndedHalfAnHourAgo;
    case 30000002:  // 財布: one that ended two hours ago
      return SaleWindow::kEndedTwoHoursAgo;
    default:
      return SaleWindow::kNone;
  }
}

// "YYYY-MM-DD HH:MM" in Japan time, minutes from now.
std::string JapanTime(int minutesFromNow) {
  const std::time_t moment = std::time(nullptr) + minutesFromNow * 60 + 9 * 3600;
  std::tm utc{};
  gmtime_r(&moment, &utc);
  char text[32];
  std::strftime(text, sizeof text, "%Y-%m-%d %H:%M", &utc);
  return text;
}

std::pair<std::string, std::string> TimesOf(const CatalogueItem& item) {
  switch (SaleWindowOf(item)) {
    case SaleWindow::kRunning:
      return {JapanTime(-60), JapanTime(60)};
    case SaleWindow::kEndedHalfAnHourAgo:
      return {JapanTime(-90), JapanTime(-30)};
    case SaleWindow::kEndedTwoHoursAgo:
      return {JapanTime(-180), JapanTime(-120)};
    default:
      return {"", ""};
  }
}

// The keyword's words: the documentation names only the half-width space as a separator.
std::vector<std::string_view> ServiceWords(std::string_view keyword) {
  std::vector<std::string_view> words;
  while (!keyword.empty()) {
    const size_t end = keyword.find(' ');
    if (end > 0) words.push_back(keyword.substr(0, end));
    if (end == keyword.npos) break;
    keyword.remove_prefix(end + 1);
  }
  return words;
}

// The code points of UTF-8 text (the server has decoded the parameter).
std::vector<char32_t> CodePoints(std::string_view text) {
  std::vector<char32_t> points;
  for (size_t i = 0; i < text.size();) {
    const auto b = static_cast<unsigned char>(text[i]);
    const size_t length = b < 0x80 ? 1 : b < 0xE0 ? 2 : b < 0xF0 ? 3 : 4;
    char32_t c = length == 1 ? b : b & (0xFF >> (length + 1));
    for (size_t k = 1; k < length && i + k < text.size(); ++k) c = c << 6 | (text[i + k] & 0x3F);
    points.push_back(c);
    i += length;
  }
  return points;
}

bool HalfWidth(char32_t c) { return c < 0x80 || (c >= 0xFF61 && c <= 0xFF9F); }

// Hiragana, katakana (either width) and symbols: a word of only these needs two of them.
bool KanaOrSymbol(char32_t c) {
  const bool asciiLetterOrDigit =
      (c >= '0' && c <= '9') || (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
  return (c < 0x80 && !asciiLetterOrDigit) || (c >= 0x3000 && c <= 0x30FF) ||
         (c >= 0xFF01 && c <= 0xFF0F) || (c >= 0xFF61 && c <= 0xFF9F) ||
         (c >= 0x2000 && c <= 0x2BFF);
}

// The documented keyword rules: 128 half-width characters in all (a full-width one counts two);
// each word two half-width characters or one full-width one; a word of only kana or symbols two.
std::optional<Answer> KeywordRefusal(const std::string& keyword,
                                     const std::vector<std::string_view>& words) {
  size_t width = 0;
  for (const char32_t c : CodePoints(keyword)) width += HalfWidth(c) ? 1 : 2;
  if (width > 128) return WrongParameter("keyword must be under 128 length");
  for (const std::string_view word : words) {
    const auto points = CodePoints(word);
    const bool allHalf = std::all_of(points.begin(), points.end(), HalfWidth);
    const bool allKana = std::all_of(points.begin(), points.end(), KanaOrSymbol);
    if (points.size() < 2 && (allHalf || allKana)) return WrongParameter("keyword is not valid");
  }
  if (words.empty()) return WrongParameter("keyword is not valid");
  return std::nullopt;
}

// The output fields asked for; all of them when the request names none.
class Elements {
 public:
  explicit Elements(const std::optional<std::string>& list) {
    if (!list) return;
    std::stringstream names(*list);
    for (std::string name; std::getline(names, name, ',');) names_.push_back(name);
  }
  bool Wanted(const std::string& name) const {
    return names_.empty() || std::find(names_.begin(), names_.end(), name) != names_.end();
  }

 private:
  std::vector<std::string> names_;
};

std::string CatchCopy(const CatalogueItem& item) { return item.price >= 3980 ? "送料無料" : ""; }

json Item(const CatalogueItem& item, long markup, const std::string& self,
          const std::optional<std::string>& affiliateId, const Elements& elements) {
  const Shop& shop = Shops()[item.shop];
  const std::string code = ItemCode(item);
  const std::string page = "http://" + self + "/item/" + code;
  const auto [start, end] = TimesOf(item);
  // One item comes with its price as a text, as answers have been reported to since the 2026
  // move (the record shows it for the ranking; readers take both).
  const long yen = item.price + markup;
  const json price = item.number == 30000004 ? json(std::to_string(yen)) : json(yen);
  const json all = {
      {"itemName", item.name},
      {"catchcopy", CatchCopy(item)},
      {"itemCode", code},
      {"itemPrice", price},
      {"itemUrl", page},
      {"affiliateUrl", affiliateId ? page + "?scid=af_" + *affiliateId + "&sc2id=1" : ""},
      {"availability", item.inStock ? 1 : 0},
      {"pointRate", item.pointRate},
      {"startTime", start},
      {"endTime", end},
      {"postageFlag", item.postageIncluded ? 0 : 1},
      {"shopName", shop.name},
      {"shopCode", shop.code},
      {"shopUrl", "http://" + self + "/shop/" + shop.code},
      {"genreId", std::to_string(shop.genreId)},
      {"reviewCount", item.number % 97},
  };
  json wanted = json::object();
  for (const auto& [name, value] : all.items()) {
    if (elements.Wanted(name)) wanted[name] = value;
  }
  return wanted;
}

// What minPrice, NGKeyword and postageFlag leave of the items found. As the documentation of
// version 2022-06-01 (its page as revised 2023-02-16, read again in December 2026) and clients in
// use describe them: prices in whole yen, both bounds inclusive, and maxPrice must exceed
// minPrice; NGKeyword in UTF-8, words parted by half-width spaces under the keyword's rules,
// leaving out every item whose texts hold any of them; postageFlag=1 keeps the items whose price
// includes postage, and each item says which with its own postageFlag, 0 送料込 or 1 送料別. The
// service's words for a floor not below the ceiling are not in the public record: the stand-in
// refuses it in the documented form of a parameter refused.
struct Narrowing {
  long markup = 0;
  std::optional<long> minPrice;
  std::vector<std::string_view> ngWords;
  bool postageIncludedOnly = false;

  bool Keeps(const CatalogueItem& item) const {
    const std::string text = std::string(item.name) + " " + CatchCopy(item);
    return (!minPrice || item.price + markup >= *minPrice) &&
           std::none_of(ngWords.begin(), ngWords.end(),
                        [&](std::string_view word) { return text.find(word) != text.npos; }) &&
           (!postageIncludedOnly || item.postageIncluded);
  }
};

// The request's faults in the order the service checks them (the gateway's first: key, caller,
// rate; then the service's: application, version); nothing when it is a search.
std::optional<Answer> Refusal(const ServiceRequest& request, IchibaServiceMode& mode) {
  const auto key = Param(request.params, "accessKey");
  const std::string accessKey = key ? *key : request.accessKeyHeader;
  if (accessKey.empty()) {
    return Gateway(400, "accessKey must be present as a query parameter or in the header");
  }
  if (accessKey != kAccessKey) return Gateway(403, "Invalid Access Key");  // seen 2026-05-25
  const std::string applicationId = Param(request.params, "applicationId").value_or("");
  if (applicationId == kApplicationId && mode.DeniesIp()) {
    return Gateway(403, "CLIENT_IP_NOT_ALLOWED");
  }
  // A web application is judged by Origin alone: clients found that Referer neither helps nor
  // hurts (2026-06 to 08).
  if (applicationId == kWebApplicationId && request.origin.empty()) {
    return Gateway(403, "REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING");
  }
  if (applicationId == kWebApplicationId && request.origin != kWebApplicationSite) {
    return Gateway(403, "HTTP_REFERRER_NOT_ALLOWED");
  }
  if (mode.TooSoon()) {
    return Answer{
        429, kJson,
        R"({"statusCode":429,"message":"Rate limit is exceeded. Try again in 1 seconds."})"};
  }
  if (applicationId != kApplicationId && applicationId != kWebApplicationId) {
    return WrongParameter("specify valid applicationId");
  }
  // A retired version, and one that never was, answer alike (measured 2026-08-13 and -18).
  if (!IsServedVersion(request.version) || mode.Retired(request.version)) return RetiredVersion();
  if (mode.Failing() == 500) return Classic(500, "system_error", "api logic error");
  if (mode.Failing() == 503) {
    return Classic(503, "service_unavailable",
                   "IchibaItem/Search/" + request.version + " is under maintenance");
  }
  return std::nullopt;
}

}  // namespace

bool IchibaServiceMode::Set(const QueryParams& params) {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : params) {
    if (key == "deny" && (value == "ip" || value == "none")) {
      denyIp_ = value == "ip";
    } else if (key == "rate" && (value == "strict" || value == "off")) {
      strictRate_ = value == "strict";
      last_.reset();  // the first request after the switch is on time
    } else if (key == "fail" && (value == "500" || value == "503" || value == "none")) {
      failing_ = value == "none" ? 0 : std::stoi(value);
    } else if (key == "retire") {
      retired_ = value == "none" ? "" : "," + value + ",";
    } else if (key == "markup" && IsNumber(value)) {
      markup_ = std::stol(value);
    } else {
      return false;
    }
  }
  return true;
}

bool IchibaServiceMode::DeniesIp() {
  std::lock_guard lock(mutex_);
  return denyIp_;
}

bool IchibaServiceMode::Retired(const std::string& version) {
  std::lock_guard lock(mutex_);
  return retired_.find("," + version + ",") != std::string::npos;
}

long IchibaServiceMode::Markup() {
  std::lock_guard lock(mutex_);
  return markup_;
}

int IchibaServiceMode::Failing() {
  std::lock_guard lock(mutex_);
  return failing_;
}

bool IchibaServiceMode::TooSoon() {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  const bool tooSoon = strictRate_ && last_ && now - *last_ < std::chrono::seconds(1);
  last_ = now;
  return tooSoon;
}

Answer IchibaSearchAnswer(const ServiceRequest& request, const std::string& self,
                          IchibaServiceMode& mode) {
  if (auto refusal = Refusal(request, mode)) return *refusal;
  const QueryParams& params = request.params;
  if (Param(params, "format").value_or("json") != "json")
    return WrongParameter("format is not valid");
  const std::string version = Param(params, "formatVersion").value_or("1");
  if (version != "1" && version != "2") return WrongParameter("formatVersion is not valid");
  const std::string keyword = Param(params, "keyword").value_or("");
  const auto words = ServiceWords(keyword);
  if (auto refusal = KeywordRefusal(keyword, words)) return *refusal;
  const auto sort = Param(params, "sort");
  if (sort && *sort != "+itemPrice" && *sort != "standard")
    return WrongParameter("sort is not valid");
  const std::string availability = Param(params, "availability").value_or("1");
  if (availability != "0" && availability != "1") {
    return WrongParameter("availability is not valid");
  }
  const std::string hitsText = Param(params, "hits").value_or("30");
  if (!IsNumber(hitsText) || std::stoi(hitsText) < 1 || std::stoi(hitsText) > kMostHits) {
    return WrongParameter("hits is not valid");
  }
  std::optional<long> maxPrice;
  if (const auto text = Param(params, "maxPrice")) {
    if (!IsNumber(*text)) return WrongParameter("maxPrice must be a number");
    if (std::stol(*text) < 1) return WrongParameter("maxPrice must be over 0");
    maxPrice = std::stol(*text);
  }
  Narrowing narrowing;
  narrowing.markup = mode.Markup();
  if (const auto text = Param(params, "minPrice")) {
    if (!IsNumber(*text)) return WrongParameter("minPrice must be a number");
    narrowing.minPrice = std::stol(*text);
    if (maxPrice && *maxPrice <= *narrowing.minPrice) {
      return WrongParameter("maxPrice must be greater than minPrice");
    }
  }
  const std::string ngKeyword = Param(params, "NGKeyword").value_or("");
  narrowing.ngWords = ServiceWords(ngKeyword);
  if (!ngKeyword.empty() && KeywordRefusal(ngKeyword, narrowing.ngWords)) {
    return WrongParameter("NGKeyword parameter is not valid");
  }
  const std::string postageFlag = Param(params, "postageFlag").value_or("0");
  if (postageFlag != "0" && postageFlag != "1") return WrongParameter("postageFlag is not valid");
  narrowing.postageIncludedOnly = postageFlag == "1";

  auto items = FindItems(words, availability == "1",
                         maxPrice ? std::optional(*maxPrice - narrowing.markup) : std::nullopt);
  std::erase_if(items, [&](const CatalogueItem* item) { return !narrowing.Keeps(*item); });
  // The cheapest first only when asked; the standard order is the catalogue's here.
  if (!sort || *sort == "standard") std::sort(items.begin(), items.end());
  const size_t hits = std::min(items.size(), static_cast<size_t>(std::stoi(hitsText)));
  const Elements elements(Param(params, "elements"));
  json list = json::array();
  const auto affiliateId = Param(params, "affiliateId");
  for (size_t i = 0; i < hits; ++i) {
    json item = Item(*items[i], narrowing.markup, self, affiliateId, elements);
    list.push_back(version == "2" ? item : json{{"Item", item}});
  }
  const json all = {{"count", items.size()},
                    {"page", 1},
                    {"first", hits > 0 ? 1 : 0},
                    {"last", hits},
                    {"hits", hits},
                    {"carrier", 0},
                    {"pageCount", (items.size() + hits - 1) / std::max<size_t>(hits, 1)},
                    {"Items", list},
                    {"GenreInformation", json::array()},
                    {"TagInformation", json::array()}};
  // The items come when the request asks for any of their fields.
  const bool itemsWanted =
      hits == 0 || !Item(*items[0], narrowing.markup, self, affiliateId, elements).empty();
  json answer = json::object();
  for (const auto& [name, value] : all.items()) {
    if (elements.Wanted(name) || (name == "Items" && itemsWanted)) answer[name] = value;
  }
  return {200, kJson, answer.dump()};
}

std::string MaskedTarget(std::string target) {
  constexpr std::string_view kKey = "accessKey=";
  for (size_t at = target.find(kKey); at != target.npos; at = target.find(kKey, at + 1)) {
    const size_t start = at + kKey.size();
    target.replace(start, std::min(target.find('&', start), target.size()) - start, "****");
  }
  return target;
}

}  // namespace standin
