#include "current_search.h"

#include <algorithm>
#include <sstream>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalogue.h"
#include "service_keys.h"

namespace standin {

namespace {

using nlohmann::json;

constexpr char kJson[] = "application/json; charset=UTF-8";
constexpr int kMostHits = 30;

Answer Error(int status, const std::string& error, const std::string& description) {
  return {status, kJson, json{{"error", error}, {"error_description", description}}.dump()};
}

Answer WrongParameter(const std::string& name) {
  return Error(400, "wrong_parameter", "specify valid " + name);
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

json Item(const CatalogueItem& item, const std::string& self,
          const std::optional<std::string>& affiliateId, const Elements& elements) {
  const Shop& shop = Shops()[item.shop];
  const std::string code = ItemCode(item);
  const std::string page = "http://" + self + "/item/" + code;
  const json all = {
      {"itemName", item.name},
      {"catchcopy", item.price >= 3980 ? "送料無料" : ""},
      {"itemCode", code},
      {"itemPrice", item.price},
      {"itemUrl", page},
      {"affiliateUrl", affiliateId ? page + "?scid=af_" + *affiliateId + "&sc2id=1" : ""},
      {"availability", item.inStock ? 1 : 0},
      {"pointRate", item.pointRate},
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

// The request's faults in the order the service checks them; nothing when it is a search.
std::optional<Answer> Refusal(const QueryParams& params, const std::string& origin,
                              CurrentServiceMode& mode) {
  const std::string applicationId = Param(params, "applicationId").value_or("");
  if (applicationId != kApplicationId && applicationId != kWebApplicationId) {
    return WrongParameter("applicationId");
  }
  if (const auto key = Param(params, "accessKey"); key != kAccessKey) {
    // As some services do, it names the key it refuses.
    return Error(401, "invalid_access_key", "accessKey " + key.value_or("") + " is not valid");
  }
  if (mode.DeniesIp()) {
    return Error(403, "access_denied", "the request does not come from an allowed IP address");
  }
  if (applicationId == kWebApplicationId && origin != kWebApplicationSite) {
    return Answer{
        403, kJson,
        json{{"errors",
              {{"errorCode", 403}, {"errorMessage", "REQUEST_CONTEXT_BODY_HTTP_REFERRER_MISSING"}}}}
            .dump()};
  }
  if (mode.TooSoon()) return Error(429, "too_many_requests", "at most one request per second");
  return std::nullopt;
}

}  // namespace

bool CurrentServiceMode::Set(const QueryParams& params) {
  std::lock_guard lock(mutex_);
  for (const auto& [key, value] : params) {
    if (key == "deny" && (value == "ip" || value == "none")) {
      denyIp_ = value == "ip";
    } else if (key == "rate" && (value == "strict" || value == "off")) {
      strictRate_ = value == "strict";
      last_.reset();  // the first request after the switch is on time
    } else {
      return false;
    }
  }
  return true;
}

bool CurrentServiceMode::DeniesIp() {
  std::lock_guard lock(mutex_);
  return denyIp_;
}

bool CurrentServiceMode::TooSoon() {
  std::lock_guard lock(mutex_);
  const auto now = std::chrono::steady_clock::now();
  const bool tooSoon = strictRate_ && last_ && now - *last_ < std::chrono::seconds(1);
  last_ = now;
  return tooSoon;
}

Answer CurrentSearchAnswer(const QueryParams& params, const std::string& origin,
                           const std::string& self, CurrentServiceMode& mode) {
  if (auto refusal = Refusal(params, origin, mode)) return *refusal;
  if (Param(params, "format").value_or("json") != "json") return WrongParameter("format");
  const std::string version = Param(params, "formatVersion").value_or("1");
  if (version != "1" && version != "2") return WrongParameter("formatVersion");
  const std::string keyword = Param(params, "keyword").value_or("");  // the words' storage
  const auto words = Words(keyword);
  if (words.empty()) return WrongParameter("keyword");
  const auto sort = Param(params, "sort");
  if (sort && *sort != "+itemPrice" && *sort != "standard") return WrongParameter("sort");
  const std::string availability = Param(params, "availability").value_or("0");
  if (availability != "0" && availability != "1") return WrongParameter("availability");
  const std::string hitsText = Param(params, "hits").value_or("30");
  if (!IsNumber(hitsText) || std::stoi(hitsText) < 1 || std::stoi(hitsText) > kMostHits) {
    return WrongParameter("hits");
  }
  std::optional<long> maxPrice;
  if (const auto text = Param(params, "maxPrice")) {
    if (!IsNumber(*text)) return WrongParameter("maxPrice");
    maxPrice = std::stol(*text);
  }

  const auto items = FindItems(words, availability == "1", maxPrice);
  const size_t hits = std::min(items.size(), static_cast<size_t>(std::stoi(hitsText)));
  const Elements elements(Param(params, "elements"));
  json list = json::array();
  const auto affiliateId = Param(params, "affiliateId");
  for (size_t i = 0; i < hits; ++i) {
    json item = Item(*items[i], self, affiliateId, elements);
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
  const bool itemsWanted = hits == 0 || !Item(*items[0], self, affiliateId, elements).empty();
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
