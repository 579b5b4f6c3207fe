#pragma once

#include <optional>
#include <string>
#include <vector>

#include "service/cheapest_match.h"
#include "service/ichiba/sale_window.h"

namespace service {

// Readers of the IchibaItem/Search service's JSON answers (formatVersion 2, and 1 as well). No
// input makes them throw: a body that is no such answer is a failure.

// The answer's count (0 and up); nothing when the body holds no whole-number count within the
// int range.
std::optional<int> ReadJsonCount(const std::string& body);

// Fills the hit table's first rows and hitCount (at most MaxHits) from the answer's Items, cells
// in code page 932 and the item's address where no affiliate address came. A field that an item
// lacks, or has with a value that is no text or number, leaves its cell empty; an element that is
// no item is left out. 0 on success; -1, with the table and hitCount as they were, when the body
// holds no list of items. User-interface thread.
int ReadJsonHitList(const std::string& body);

// The time-sale windows of the answer's items, as the answer wrote them (empty texts for an item
// without one); nothing when the body holds no list of items.
std::optional<std::vector<SaleWindow>> ReadJsonSaleWindows(const std::string& body);

// The answer's first item, which is its cheapest when it was asked for sorted by price; nothing
// when the body lists no item. Its texts as the answer wrote them, UTF-8.
std::optional<CheapestMatch> ReadJsonCheapest(const std::string& body);

// What an error answer says in any of the service's forms: "error" and "error_description";
// the "errorMessage" of "errors" (as error); a throttle's "message" (as description). Empty texts
// when the body says none of them.
struct ServiceError {
  std::string error;
  std::string description;
};
ServiceError ReadServiceError(const std::string& body);

}  // namespace service
