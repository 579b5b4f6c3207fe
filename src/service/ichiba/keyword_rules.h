#pragma once

#include <optional>
#include <string>

#include "service/check_outcome.h"

namespace service {

// The keyword as the IchibaItem/Search service takes it: UTF-8 words parted by one half-width
// space. The service refuses a whole request for one word that breaks its rules, so such a
// keyword is not sent; the stored keyword stays as the user typed it.

struct ServiceKeyword {
  std::string words;  // UTF-8; a full-width space parts words too, runs of spaces are one
  std::optional<KeywordProblem> problem;
};

// The service's keyword for a stored keyword (code page 932), and the first rule it breaks.
ServiceKeyword ServiceKeywordOf(const std::string& keyword);

}  // namespace service
