#include "platform/profile/profile_file.h"

#include "platform/profile/atomic_file.h"

#include <fstream>
#include <iterator>

namespace platform {

namespace {

constexpr std::string_view kBlanks = " \t\r\v\f";

std::string_view Trim(std::string_view text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string_view::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

std::string_view TrimRight(std::string_view text) {
  const size_t last = text.find_last_not_of(kBlanks);
  return last == std::string_view::npos ? std::string_view() : text.substr(0, last + 1);
}

// Text is code page 932: a lead byte and the byte after it are one character, and that second
// byte may look like ']' or a letter.
bool IsLeadByte(char c) {
  const auto byte = static_cast<unsigned char>(c);
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

size_t CharLength(std::string_view text, size_t i) {
  return IsLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
}

size_t FindChar(std::string_view text, char c) {
  for (size_t i = 0; i < text.size(); i += CharLength(text, i)) {
    if (text[i] == c) return i;
  }
  return std::string_view::npos;
}

// Letter case counts only for single-byte letters; double-byte characters must match exactly.
bool EqualsIgnoreCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
  for (size_t i = 0; i < a.size(); i += CharLength(a, i)) {
    if (CharLength(a, i) == 2 ? a.substr(i, 2) != b.substr(i, 2) : lower(a[i]) != lower(b[i])) {
      return false;
    }
  }
  return true;
}

// The name of a section header line ("[name]"), or false when the line is no header.
bool SectionName(std::string_view line, std::string_view& name) {
  line = Trim(line);
  if (line.empty() || line.front() != '[') return false;
  const size_t close = FindChar(line, ']');
  if (close == std::string_view::npos) return false;
  name = Trim(line.substr(1, close - 1));
  return true;
}

// The key of a "key=value" line, or false when the line holds no '=' or is a comment.
bool KeyName(std::string_view line, std::string_view& key) {
  const size_t equals = line.find('=');
  if (equals == std::string_view::npos) return false;
  key = Trim(line.substr(0, equals));
  return key.empty() || key.front() != ';';
}

// Cut at a character's end, so that a double-byte character is never split.
std::string Capped(std::string_view value) {
  value = value.substr(0, value.find('\0'));
  size_t end = 0;
  while (end < value.size() && end + CharLength(value, end) <= ProfileFile::kMaxValue) {
    end += CharLength(value, end);
  }
  return std::string(value.substr(0, end));
}

}  // namespace

ProfileFile ProfileFile::Load(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return {};
  return Parse(std::string{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()});
}

ProfileFile ProfileFile::Parse(std::string_view text) {
  ProfileFile file;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    file.lines_.emplace_back(text.substr(start, end - start));
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
  }
  return file;
}

ProfileFile::Position ProfileFile::Find(std::string_view section, std::string_view key) const {
  Position position{.sectionLine = lines_.size(), .keyLine = lines_.size()};
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name)) {
      if (position.sectionLine != lines_.size()) break;  // end of the section we found
      if (EqualsIgnoreCase(name, section)) position.sectionLine = i;
      continue;
    }
    std::string_view lineKey;
    if (position.sectionLine != lines_.size() && KeyName(lines_[i], lineKey) &&
        EqualsIgnoreCase(lineKey, key)) {
      position.keyLine = i;
      break;
    }
  }
  return position;
}

std::string ProfileFile::GetString(std::string_view section, std::string_view key,
                                   std::string_view defaultValue) const {
  const Position position = Find(section, key);
  if (position.keyLine == lines_.size()) return Capped(TrimRight(defaultValue));
  const std::string_view line = lines_[position.keyLine];
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return Capped(value);
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  const Position position = Find(section, key);
  if (position.sectionLine == lines_.size()) {
    lines_.push_back("[" + std::string(section) + "]");
    lines_.push_back(std::string(key) + "=" + std::string(value));
    return;
  }
  if (position.keyLine != lines_.size()) {
    std::string& line = lines_[position.keyLine];
    std::string_view storedKey;
    KeyName(line, storedKey);
    line = std::string(storedKey) + "=" + std::string(value);
    return;
  }
  // After the section's last line that is not blank, so that blank lines between sections stay.
  size_t insertAt = position.sectionLine + 1;
  for (size_t i = position.sectionLine + 1; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(lines_[i], name)) break;
    if (!Trim(lines_[i]).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt),
                std::string(key) + "=" + std::string(value));
}

std::string ProfileFile::Text() const {
  std::string text;
  for (const auto& line : lines_) text.append(line).append("\r\n");
  return text;
}

bool ProfileFile::Save(const std::string& path) const { return ReplaceFile(path, Text()); }

}  // namespace platform
