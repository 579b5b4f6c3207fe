#include "service/ichiba/narrowing.h"

#include <string_view>

#include "service/ichiba/keyword_rules.h"
#include "service/text_encoding.h"

namespace service {

namespace {

// The most digits a floor may have: the service's prices stop below a billion yen.
constexpr size_t kMostFloorDigits = 9;

std::string_view Trimmed(std::string_view text) {
  const size_t start = text.find_first_not_of(" \t");
  if (start == std::string_view::npos) return {};
  return text.substr(start, text.find_last_not_of(" \t") + 1 - start);
}

// The floor as written: none for an empty value, nothing readable for anything but digits.
struct Floor {
  bool given = false;
  std::optional<long> yen{};
};
Floor FloorOf(std::string_view written) {
  const std::string_view digits = Trimmed(written);
  if (digits.empty()) return {};
  if (digits.size() > kMostFloorDigits ||
      digits.find_first_not_of("0123456789") != std::string_view::npos) {
    return {.given = true};
  }
  return {.given = true, .yen = std::stol(std::string(digits))};
}

}  // namespace

NarrowingOrRefusal NarrowingOf(const ServiceSettings& service, std::optional<long> maxPrice) {
  NarrowingOrRefusal result;
  result.narrowing.postageIncluded = service.postageIncluded;
  const Floor floor = FloorOf(service.minPrice);
  if (floor.given && !floor.yen) {
    result.refusal =
        Failed(Failure::kBadMinPrice, "",
               "MIN_PRICE " + AnsiToUtf8(std::string(Trimmed(service.minPrice)).c_str()));
    return result;
  }
  if (floor.yen && maxPrice && *floor.yen >= *maxPrice) {
    result.refusal =
        Failed(Failure::kFloorNotBelowPrice, "",
               "MIN_PRICE " + std::to_string(*floor.yen) + ", price " + std::to_string(*maxPrice));
    return result;
  }
  result.narrowing.minPrice = floor.yen;
  // The words under the keyword's rules; none at all is no narrowing, not a broken rule.
  const ServiceKeyword words = ServiceKeywordOf(service.ngKeyword);
  if (words.words.empty()) return result;
  if (words.problem) {
    result.refusal = KeywordNotSent(Failure::kNgKeywordRule, *words.problem);
    return result;
  }
  result.narrowing.ngWords = words.words;
  return result;
}

}  // namespace service
