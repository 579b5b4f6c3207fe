#pragma once

#include <string>
#include <vector>

namespace testing_support {

// An item-search answer with `records` hits; hit i links to addresses[i] where that is given
// and not empty, else to http://item.test/i.
inline std::string ItemSearchAnswer(int records, const std::vector<std::string>& addresses = {}) {
  std::string body =
      "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Response>\n<header:Header>\n<Status>Success"
      "</Status>\n</header:Header>\n<Body>\n<count>" +
      std::to_string(records) + "</count>\n<hits>" + std::to_string(records) + "</hits>\n<Items>\n";
  for (int i = 0; i < records; ++i) {
    const std::string n = std::to_string(i);
    const size_t at = static_cast<size_t>(i);
    const std::string address =
        at < addresses.size() && !addresses[at].empty() ? addresses[at] : "http://item.test/" + n;
    body += "<Item>\n<itemName>時計 " + n + "</itemName>\n<itemCode>shop:" + n +
            "</itemCode>\n<itemPrice>" + std::to_string(1000 + i) + "</itemPrice>\n<affiliateUrl>" +
            address + "</affiliateUrl>\n<pointRate>2</pointRate>\n<shopName>店" + n +
            "</shopName>\n</Item>\n";
  }
  return body + "</Items>\n</Body>\n</Response>\n";
}

}  // namespace testing_support
