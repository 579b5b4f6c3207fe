#pragma once

#include <algorithm>
#include <map>
#include <optional>
#include <string>

namespace standin {

// Query parameters, percent-decoded, as the server received them.
using QueryParams = std::multimap<std::string, std::string>;

// The first value of key, or nothing when the request has none.
inline std::optional<std::string> Param(const QueryParams& params, const std::string& key) {
  const auto found = params.find(key);
  return found == params.end() ? std::nullopt : std::optional(found->second);
}

// Digits only, at most nine of them: what both services take for a number.
inline bool IsNumber(const std::string& text) {
  return !text.empty() && text.size() <= 9 &&
         std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

}  // namespace standin
