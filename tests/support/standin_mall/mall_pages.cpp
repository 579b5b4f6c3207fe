#include "mall_pages.h"

#include "catalogue.h"
#include "markup.h"

namespace standin {

namespace {

std::string Page(std::string_view title, std::string_view content) {
  return "<!DOCTYPE html>\n<html lang=\"ja\">\n<head>\n<meta charset=\"UTF-8\">\n<title>" +
         std::string(title) + "</title>\n</head>\n<body>\n" + std::string(content) +
         "</body>\n</html>\n";
}

std::string TimeSaleMark(TimeSale sale) {
  switch (sale) {
    case TimeSale::Running:
      return "  <div class=\"iconArea clfx\"><span class=\"icon\">タイムセール</span></div>\n";
    case TimeSale::Ended:
      return "  <div class=\"iconArea clfx\"><span class=\"salesStatus\">販売終了</span></div>\n";
    case TimeSale::FewLeft:
      return "  <div class=\"iconArea clfx\"><span class=\"salesStatus\">残りわずか</span></div>\n";
    case TimeSale::None:
      break;
  }
  return "";
}

}  // namespace

std::string SearchPage(std::string_view keyword, const std::string& self) {
  const auto items = FindItems(Words(keyword), false, std::nullopt);
  std::string content =
      "<h1>「" + Escaped(keyword) + "」の検索結果 " + std::to_string(items.size()) + "件</h1>\n";
  if (items.empty()) content += "<p>該当する商品が見つかりませんでした。</p>\n";
  for (const CatalogueItem* item : items) {
    content += "<div class=\"searchresultitem\">\n  <div class=\"title\"><a href=\"http://" + self +
               "/item/" + ItemCode(*item) + "\">" + Escaped(item->name) +
               "</a></div>\n  <div class=\"price\">" + std::to_string(item->price) + "円</div>\n" +
               TimeSaleMark(item->timeSale) + "</div>\n";
  }
  return Page("【楽天市場】" + Escaped(keyword) + "の検索結果", content);
}

std::optional<std::string> ItemPage(std::string_view itemCode, const std::string& self) {
  const CatalogueItem* item = FindItem(itemCode);
  if (item == nullptr) return std::nullopt;
  const std::string name = Escaped(item->name);
  const Shop& shop = Shops()[item->shop];
  return Page(name, "<h1>" + name + "</h1>\n<p class=\"price\">" + std::to_string(item->price) +
                        "円</p>\n<p class=\"stock\">" + (item->inStock ? "在庫あり" : "品切れ") +
                        "</p>\n<p class=\"shop\"><a href=\"http://" + self + "/shop/" + shop.code +
                        "\">" + Escaped(shop.name) + "</a></p>\n");
}

}  // namespace standin
