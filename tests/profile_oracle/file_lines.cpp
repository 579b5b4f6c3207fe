#include "profile_oracle/file_lines.h"

namespace profile_oracle {

bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::vector<Line> Lines(std::string_view file) {
  std::vector<Line> lines;
  size_t start = 0;
  while (start < file.size()) {
    size_t end = file.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = file.size();
    size_t next = end;
    if (next < file.size()) next += file.compare(end, 2, "\r\n") == 0 ? 2 : 1;
    lines.push_back(
        {std::string(file.substr(start, end - start)), std::string(file.substr(end, next - end))});
    start = next;
  }
  return lines;
}

std::string Joined(const std::vector<Line>& lines) {
  std::string file;
  for (const auto& line : lines) file += line.text + line.end;
  return file;
}

}  // namespace profile_oracle
