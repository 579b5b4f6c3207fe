#include "platform/profile/profile_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>

#include "platform/codepage/codepage.h"
#include "platform/profile/atomic_file.h"
#include "platform/profile/file_descriptor.h"

namespace platform {

namespace {

enum class FileRead { kRead, kMissing, kRefused };

// The whole file when it is a regular file of at most kMaxFileSize bytes. Opened without
// blocking, so that a FIFO or a device cannot hold the caller.
FileRead ReadSmallFile(const std::string& path, std::string& bytes) {
  Fd fd(::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC));
  if (fd.get() < 0) return errno == ENOENT ? FileRead::kMissing : FileRead::kRefused;
  struct stat status {};
  constexpr size_t kLimit = ProfileFile::kMaxFileSize;
  if (::fstat(fd.get(), &status) != 0 || !S_ISREG(status.st_mode) ||
      static_cast<size_t>(status.st_size) > kLimit) {
    return FileRead::kRefused;
  }
  bytes.resize(static_cast<size_t>(status.st_size) + 1);  // room to notice a file that grew
  size_t length = 0;
  for (;;) {
    if (length > kLimit) return FileRead::kRefused;
    if (length == bytes.size()) bytes.resize(std::min(2 * bytes.size(), kLimit + 1));
    const ssize_t n = ::read(fd.get(), bytes.data() + length, bytes.size() - length);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) return FileRead::kRefused;
    if (n == 0) break;
    length += static_cast<size_t>(n);
  }
  bytes.resize(length);
  return FileRead::kRead;
}

constexpr std::string_view kUtf8Mark = "\xEF\xBB\xBF";

// UTF-16 text with its byte-order mark, in code page 932.
std::string Utf16ToAnsi(std::string_view bytes) {
  const bool bigEndian = bytes[0] == '\xFE';
  std::u16string wide;
  for (size_t i = 2; i + 1 < bytes.size(); i += 2) {
    const auto first = static_cast<unsigned char>(bytes[i]);
    const auto second = static_cast<unsigned char>(bytes[i + 1]);
    wide.push_back(static_cast<char16_t>(bigEndian ? first << 8 | second : second << 8 | first));
  }
  return WideToAnsi(wide, '?');
}

bool IsUtf16(std::string_view bytes) {
  return bytes.starts_with("\xFF\xFE") || bytes.starts_with("\xFE\xFF");
}

// With 0x1A, the end-of-file mark of old editors, which the platform's functions take as a blank.
constexpr std::string_view kBlanks = " \t\r\v\f\x1A";

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
  std::string bytes;
  const FileRead read = ReadSmallFile(path, bytes);
  if (read == FileRead::kMissing) return {};
  ProfileFile file;
  if (read == FileRead::kRefused) {
    file.writable_ = false;
  } else if (IsUtf16(bytes)) {
    // Read as the platform reads it; written back, it would no longer be UTF-16.
    file = Parse(Utf16ToAnsi(bytes));
    file.writable_ = false;
  } else {
    const bool mark = bytes.starts_with(kUtf8Mark);
    file = Parse(std::string_view(bytes).substr(mark ? kUtf8Mark.size() : 0));
    file.byteOrderMark_ = mark;
  }
  return file;
}

ProfileFile ProfileFile::Parse(std::string_view text) {
  ProfileFile file;
  file.text_ = text;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    file.lines_.push_back({start, end - start});
    start = end + 1;
    if (end < text.size() && text[end] == '\r' && start < text.size() && text[start] == '\n') {
      ++start;
    }
  }
  return file;
}

std::string_view ProfileFile::Line(size_t index) const {
  return std::string_view(text_).substr(lines_[index].offset, lines_[index].length);
}

void ProfileFile::SetLine(size_t index, const std::string& line) {
  lines_[index] = {text_.size(), line.size()};
  text_ += line;
}

ProfileFile::Position ProfileFile::Find(std::string_view section, std::string_view key) const {
  section = Trim(section);  // a name asked for with blanks around it still matches
  key = Trim(key);
  Position position{.sectionLine = lines_.size(), .keyLine = lines_.size()};
  for (size_t i = 0; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Line(i), name)) {
      if (position.sectionLine != lines_.size()) break;  // end of the section we found
      if (EqualsIgnoreCase(name, section)) position.sectionLine = i;
      continue;
    }
    std::string_view lineKey;
    if (position.sectionLine != lines_.size() && KeyName(Line(i), lineKey) &&
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
  const std::string_view line = Line(position.keyLine);
  std::string_view value = Trim(line.substr(line.find('=') + 1));
  if (value.size() >= 2 && (value.front() == '"' || value.front() == '\'') &&
      value.back() == value.front()) {
    value = value.substr(1, value.size() - 2);
  }
  return Capped(value);
}

void ProfileFile::SetString(std::string_view section, std::string_view key,
                            std::string_view value) {
  const std::string entry = std::string(key) + "=" + std::string(value);
  const Position position = Find(section, key);
  if (position.sectionLine == lines_.size()) {
    lines_.resize(lines_.size() + 2);
    SetLine(lines_.size() - 2, "[" + std::string(section) + "]");
    SetLine(lines_.size() - 1, entry);
    return;
  }
  if (position.keyLine != lines_.size()) {
    std::string_view storedKey;
    KeyName(Line(position.keyLine), storedKey);
    SetLine(position.keyLine, std::string(storedKey) + "=" + std::string(value));
    return;
  }
  // After the section's last line that is not blank, so that blank lines between sections stay.
  size_t insertAt = position.sectionLine + 1;
  for (size_t i = position.sectionLine + 1; i < lines_.size(); ++i) {
    std::string_view name;
    if (SectionName(Line(i), name)) break;
    if (!Trim(Line(i)).empty()) insertAt = i + 1;
  }
  lines_.insert(lines_.begin() + static_cast<std::ptrdiff_t>(insertAt), Piece{});
  SetLine(insertAt, entry);
}

std::string ProfileFile::Text() const {
  std::string text(byteOrderMark_ ? kUtf8Mark : "");
  for (size_t i = 0; i < lines_.size(); ++i) text.append(Line(i)).append("\r\n");
  return text;
}

// A file that the next load would refuse is not written either. A new one is its owner's alone:
// profile files hold keys and passwords.
bool ProfileFile::Save(const std::string& path, FileReaders readers) const {
  const std::string text = Text();
  return writable_ && text.size() <= kMaxFileSize && ReplaceFile(path, text, readers);
}

}  // namespace platform
