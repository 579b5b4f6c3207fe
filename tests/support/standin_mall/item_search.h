#pragma once

#include <string>

#include "query_params.h"

namespace standin {

// The item-search service's answer (operation ItemSearch, version 2010-09-15) as UTF-8 XML, with
// status 200 whatever it says. A wrong developerId, operation or version, or an invalid keyword,
// sort, availability or maxPrice, gives the status ClientError; no matching item gives NotFound.
// self ("host:port") is where the items' pages are.
std::string ItemSearchResponse(const QueryParams& params, const std::string& self);

}  // namespace standin
