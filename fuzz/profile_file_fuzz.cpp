// A profile file of any bytes: read it, write the five settings, read again. The written keys
// read back, and every line that was not one of them is kept, in order.
#include <cctype>
#include <cstdlib>
#include <memory>
#include <string>
#include <vector>

#include "platform/profile/profile_file.h"

namespace {

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
    if (text.compare(end, 2, "\r\n") == 0) ++start;
  }
  return lines;
}

bool EqualsIgnoreCase(const std::string& a, const std::string& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (std::tolower(static_cast<unsigned char>(a[i])) !=
        std::tolower(static_cast<unsigned char>(b[i]))) {
      return false;
    }
  }
  return true;
}

// The reader's blanks, with the end-of-file mark 0x1A among them.
constexpr char kBlanks[] = " \t\r\v\f\x1A";

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(kBlanks);
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(kBlanks) - first + 1);
}

// The key of a "key=value" line, or null.
std::unique_ptr<std::string> KeyOf(const std::string& line) {
  const size_t equals = line.find('=');
  if (equals == std::string::npos) return nullptr;
  return std::make_unique<std::string>(Trim(line.substr(0, equals)));
}

// Which of the written keys the line sets to its written value, or -1.
int WrittenKey(const std::string& line, const char* const keys[], const std::string values[]) {
  const auto key = KeyOf(line);
  if (!key) return -1;
  for (int k = 0; k < 5; ++k) {
    if (EqualsIgnoreCase(*key, keys[k]) && line.substr(line.find('=') + 1) == values[k]) return k;
  }
  return -1;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string original(reinterpret_cast<const char*>(data), size);
  auto file = platform::ProfileFile::Parse(original);
  const char* const keys[] = {"SCAN_FLAG", "SCAN_KEYWORD", "SCAN_PRICE", "SCAN_ZAIKO",
                              "SCAN_TIMESALE"};
  const std::string values[] = {"1", "\x98\x72\x8E\x9E\x8C\x76", "5000", "", "0"};
  for (int i = 0; i < 5; ++i) file.SetString("PARAM", keys[i], values[i]);
  const std::string written = file.Text();
  const auto again = platform::ProfileFile::Parse(written);
  for (int i = 0; i < 5; ++i) {
    if (again.GetString("PARAM", keys[i], "missing") != values[i]) abort();
  }
  // The written lines are the original ones, some keys replaced in place and some added.
  const auto before = Lines(original);
  const auto after = Lines(written);
  size_t i = 0;
  for (size_t j = 0; j < after.size(); ++j) {
    if (i < before.size() && before[i] == after[j]) {
      ++i;
      continue;
    }
    const int written = WrittenKey(after[j], keys, values);
    if (written == -1) {
      if (after[j] != "[PARAM]") abort();  // only a missing section may be added
    } else if (i < before.size() && KeyOf(before[i]) != nullptr &&
               EqualsIgnoreCase(*KeyOf(before[i]), keys[written])) {
      ++i;  // replaced in place
    }
  }
  if (i != before.size()) abort();
  return 0;
}
