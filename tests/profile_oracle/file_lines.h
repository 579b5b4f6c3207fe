#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace profile_oracle {

// A code page 932 lead byte: the next byte belongs to the same character.
bool IsLeadByte(char c);

struct Line {
  std::string text;
  std::string end;  // CR LF, LF, CR or nothing
};

// The lines of a file, each ended by CR LF, LF or a lone CR.
std::vector<Line> Lines(std::string_view file);
std::string Joined(const std::vector<Line>& lines);

}  // namespace profile_oracle
