#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace service {

// The first item of a count check's answer, which asks for the cheapest first: what the tray's
// tip, the notice at an alert and kobanu --check name. Texts in UTF-8, as the service wrote them.
struct CheapestMatch {
  std::string name{};
  std::optional<uint64_t> price{};        // yen; none when the answer gave no whole number
  std::optional<bool> postageIncluded{};  // postageFlag 0 (送料込) or 1 (送料別), when it said
  std::string shop{};
  std::string address{};  // the affiliate address, or the item's own where none came
};

}  // namespace service
