#include "item_search.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "catalogue.h"
#include "markup.h"

namespace standin {

namespace {

constexpr char kDeveloperId[] = "5f3a9c1e7b2d4086a1e9c3b7d5f20864";
constexpr size_t kRecordsPerPage = 30;

// One element on a line of its own, at the given depth of indentation.
void AppendElement(std::string& xml, int depth, std::string_view name, std::string_view text) {
  xml.append(2 * depth, ' ');
  xml += "<" + std::string(name) + ">" + std::string(text) + "</" + std::string(name) + ">\n";
}

std::string Header(const QueryParams& params, std::string_view status, std::string_view message) {
  std::string xml =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
      "<Response>\n"
      "  <header:Header xmlns:header=\"http://api.rakuten.co.jp/rws/rest/Header\">\n"
      "    <Args>\n";
  for (const auto& [key, value] : params) {
    xml += "      <Arg key=\"" + Escaped(key) + "\" value=\"" + Escaped(value) + "\"/>\n";
  }
  xml += "    </Args>\n";
  AppendElement(xml, 2, "Status", status);
  xml += message.empty() ? "    <StatusMsg/>\n"
                         : "    <StatusMsg>" + Escaped(message) + "</StatusMsg>\n";
  xml += "  </header:Header>\n";
  return xml;
}

std::string ClientError(const QueryParams& params, std::string_view message) {
  return Header(params, "ClientError", message) + "  <Body/>\n</Response>\n";
}

std::string Catchcopy(const CatalogueItem& item) {
  std::string text =
      item.pointRate > 1 ? "【ポイント" + std::to_string(item.pointRate) + "倍】" : "";
  return text + (item.price >= 3980 ? "送料無料" : "");
}

void AppendItem(std::string& xml, const CatalogueItem& item, const std::string& self,
                const std::optional<std::string>& affiliateId) {
  const Shop& shop = Shops()[item.shop];
  const std::string code = ItemCode(item);
  const std::string page = "http://" + self + "/item/" + code;
  const std::string name = Escaped(item.name);
  char reviewAverage[16];
  std::snprintf(reviewAverage, sizeof reviewAverage, "%.2f", 3.0 + (item.number % 21) / 10.0);
  const auto field = [&](std::string_view tag, const std::string& text) {
    AppendElement(xml, 5, tag, text);
  };
  xml += "        <Item>\n";
  field("itemName", name);
  field("catchcopy", Catchcopy(item));
  field("itemCode", code);
  field("itemPrice", std::to_string(item.price));
  field("itemCaption", name + "。" + Escaped(shop.name) + "がお届けします。" +
                           (item.inStock ? "在庫あり、" : "ただいま品切れ中です。") +
                           "ご注文は楽天市場のショップページから。");
  field("itemUrl", page);
  field("affiliateUrl",
        affiliateId ? page + "?scid=af_" + Escaped(*affiliateId) + "&amp;sc2id=1" : "");
  field("imageFlag", "0");
  field("smallImageUrl", "");
  field("mediumImageUrl", "");
  field("availability", item.inStock ? "1" : "0");
  field("taxFlag", "0");
  field("postageFlag", item.price >= 3980 ? "0" : "1");
  field("creditCardFlag", "1");
  field("shopOfTheYearFlag", "0");
  field("affiliateRate", "1.0");
  field("startTime", "");
  field("endTime", "");
  field("reviewCount", std::to_string(item.number % 97));
  field("reviewAverage", reviewAverage);
  field("pointRate", std::to_string(item.pointRate));
  field("pointRateStartTime", "");
  field("pointRateEndTime", "");
  field("shopName", Escaped(shop.name));
  field("shopCode", shop.code);
  field("shopUrl", "http://" + self + "/shop/" + shop.code);
  field("genreId", std::to_string(shop.genreId));
  xml += "        </Item>\n";
}

}  // namespace

std::string ItemSearchResponse(const QueryParams& params, const std::string& self) {
  if (Param(params, "developerId") != kDeveloperId) {
    return ClientError(params, "developerId is not valid");
  }
  if (Param(params, "operation") != "ItemSearch")
    return ClientError(params, "operation is not valid");
  if (Param(params, "version") != "2010-09-15") return ClientError(params, "version is not valid");
  const std::string keyword = Param(params, "keyword").value_or("");
  const auto words = Words(keyword);
  if (words.empty()) return ClientError(params, "keyword is not valid");
  // The stand-in knows one order: cheapest first.
  const auto sort = Param(params, "sort");
  if (sort && *sort != "+itemPrice" && *sort != "standard") {
    return ClientError(params, "sort is not valid");
  }
  const std::string availability = Param(params, "availability").value_or("0");
  if (availability != "0" && availability != "1") {
    return ClientError(params, "availability is not valid");
  }
  std::optional<long> maxPrice;
  if (const auto text = Param(params, "maxPrice")) {
    if (!IsNumber(*text)) return ClientError(params, "maxPrice is not valid");
    maxPrice = std::stol(*text);
  }

  const auto items = FindItems(words, availability == "1", maxPrice);
  const size_t hits = std::min(items.size(), kRecordsPerPage);
  std::string xml =
      items.empty() ? Header(params, "NotFound", "No item matches") : Header(params, "Success", "");
  xml +=
      "  <Body>\n"
      "    <itemSearch:ItemSearch "
      "xmlns:itemSearch=\"http://api.rakuten.co.jp/rws/rest/ItemSearch/2010-09-15\">\n";
  AppendElement(xml, 3, "count", std::to_string(items.size()));
  AppendElement(xml, 3, "page", "1");
  AppendElement(xml, 3, "first", hits > 0 ? "1" : "0");
  AppendElement(xml, 3, "last", std::to_string(hits));
  AppendElement(xml, 3, "hits", std::to_string(hits));
  AppendElement(xml, 3, "carrier", "0");
  AppendElement(xml, 3, "pageCount",
                std::to_string((items.size() + kRecordsPerPage - 1) / kRecordsPerPage));
  if (hits > 0) {
    xml += "      <Items>\n";
    const auto affiliateId = Param(params, "affiliateId");
    for (size_t i = 0; i < hits; ++i) AppendItem(xml, *items[i], self, affiliateId);
    xml += "      </Items>\n";
  }
  xml += "    </itemSearch:ItemSearch>\n  </Body>\n</Response>\n";
  return xml;
}

}  // namespace standin
