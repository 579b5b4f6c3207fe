#pragma once

#include <cstddef>
#include <string>

namespace service {

// A page is read as the platform's line reader hands it out into a buffer of 5,000 bytes: in
// pieces that end at a line end or after 4,999 bytes, each zero-terminated, so that a zero byte
// inside a piece ends that piece.
inline constexpr std::size_t kLinePieceMax = 4999;

// Appends body to target as those pieces would arrive. A body without zero bytes is moved or
// appended whole: one search for a zero byte instead of a pass over every piece.
void AppendLinePieces(std::string& target, std::string&& body);

}  // namespace service
