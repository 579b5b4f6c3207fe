#pragma once

#include <optional>
#include <string>

#include "service/check_outcome.h"
#include "state/service_settings.h"

namespace service {

// What narrows every search of the IchibaItem/Search service besides the keyword, from [SERVICE]:
// a floor (minPrice), words to leave out (NGKeyword), postage included only (postageFlag=1).
struct Narrowing {
  std::optional<long> minPrice{};  // whole yen
  std::string ngWords{};           // UTF-8 words parted by one half-width space; empty for none
  bool postageIncluded = false;
};

// The section's narrowing for a search with the ceiling maxPrice (none: no ceiling), or, when a
// value breaks a rule, the failure that says which: a MIN_PRICE that is no whole number of yen
// or is not below the ceiling (the service takes only a ceiling above the floor, and nothing
// could match), a word of NG_KEYWORD the service would refuse. Nothing is asked then.
struct NarrowingOrRefusal {
  Narrowing narrowing;
  std::optional<CheckOutcome> refusal{};
};
NarrowingOrRefusal NarrowingOf(const ServiceSettings& service, std::optional<long> maxPrice);

}  // namespace service
