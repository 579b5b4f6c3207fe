#include "service/check_log.h"

#include <algorithm>
#include <mutex>

#include "platform/logfile/log_file.h"
#include "platform/runtime/module_path.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

constexpr char kMask[] = "****";
constexpr std::string_view kKeyParameter = "accessKey=";
constexpr size_t kMaxOutcome = 500;
constexpr size_t kMaxUrl = 2000;
// A shorter key would mask ordinary words; the service issues none so short.
constexpr size_t kShortestMaskedKey = 4;

void ReplaceAll(std::string& text, const std::string& what, std::string_view with) {
  for (size_t at = text.find(what); at != text.npos; at = text.find(what, at + with.size())) {
    text.replace(at, what.size(), with);
  }
}

// One field of a line: control characters as blanks (a line stays one line), cut to a length.
std::string Field(std::string_view text, size_t maxLength) {
  std::string field(text.substr(0, maxLength));
  for (char& c : field) {
    const auto b = static_cast<unsigned char>(c);
    if (b < 0x20 || b == 0x7F) c = ' ';
  }
  return field;
}

// The folder of setting.ini as the settings file's functions last placed it, so that the log
// always lies beside the file; empty when no folder is known.
std::string LogFolder() {
  std::lock_guard lock(watchState.iniMutex);
  if (watchState.iniPath.empty()) return {};
  const platform::PathParts parts = platform::SplitPath(watchState.iniPath);
  return parts.drive + parts.dir;
}

}  // namespace

std::string MaskAccessKey(std::string text, const std::string& key) {
  for (size_t at = text.find(kKeyParameter); at != text.npos;
       at = text.find(kKeyParameter, at + 1)) {
    const size_t start = at + kKeyParameter.size();
    const size_t end = std::min(text.find_first_of("& ", start), text.size());
    text.replace(start, end - start, kMask);
  }
  if (key.size() >= kShortestMaskedKey) {
    ReplaceAll(text, key, kMask);
    ReplaceAll(text, PercentEncode(key, Unreserved::Keep), kMask);
  }
  return text;
}

void WriteCheckLog(std::string_view check, std::string_view outcome, std::string_view url) {
  const std::string folder = LogFolder();
  if (folder.empty()) return;  // never a log in the current folder
  std::string key;
  {
    std::lock_guard lock(watchState.serviceMutex);
    key = watchState.service.accessKey;
  }
  // Masked before it is cut, so that no piece of the key survives a cut.
  const std::string line = platform::LocalTimeText() + " | " + std::string(check) + " | " +
                           Field(MaskAccessKey(std::string(outcome), key), kMaxOutcome) + " | " +
                           Field(MaskAccessKey(std::string(url), key), kMaxUrl) + "\n";
  // Both threads write it; one line at a time, so that a rotation does not cut across another.
  static std::mutex logMutex;
  std::lock_guard lock(logMutex);
  platform::AppendLogLine(folder + std::string(kCheckLogName),
                          folder + std::string(kRotatedCheckLogName), line, kCheckLogRotateBytes);
}
