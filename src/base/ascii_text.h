#pragma once

#include <algorithm>
#include <string_view>

// Whether text begins with prefix, ASCII letters compared without regard to case (as URL
// schemes and HTTP header names are).
inline bool StartsWithNoCase(std::string_view text, std::string_view prefix) {
  const auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  return text.size() >= prefix.size() &&
         std::equal(prefix.begin(), prefix.end(), text.begin(),
                    [&](char p, char c) { return lower(p) == lower(c); });
}
