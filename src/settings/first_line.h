#pragma once

#include <string_view>

namespace settings {

// A single-line edit keeps only the first line of a paste. A line end must never reach the
// settings file either, where it would start keys and sections of its own.
inline std::string_view FirstLine(std::string_view text) {
  return text.substr(0, text.find_first_of("\r\n"));
}

}  // namespace settings
