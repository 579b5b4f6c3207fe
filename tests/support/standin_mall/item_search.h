#pragma once

#include <map>
#include <string>

namespace standin {

// Query parameters, percent-decoded, as the server received them.
using QueryParams = std::multimap<std::string, std::string>;

// The item-search service's answer (operation ItemSearch, version 2010-09-15) as UTF-8 XML, with
// status 200 whatever it says. A wrong developerId, operation or version, or an invalid keyword,
// sort, availability or maxPrice, gives the status ClientError; no matching item gives NotFound.
// self ("host:port") is where the items' pages are.
std::string ItemSearchResponse(const QueryParams& params, const std::string& self);

}  // namespace standin
