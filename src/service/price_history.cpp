#include "service/price_history.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "base/no_destructor.h"
#include "platform/logfile/log_file.h"
#include "platform/profile/atomic_file.h"
#include "service/check_log.h"

namespace service {

namespace {

constexpr int64_t kOneDay = 24 * 60;

std::mutex appendMutex;
// The oldest row's time in each history this process appends to, read from the file at the first
// row: rows are only added after it, so it stays true until old rows are dropped.
NoDestructor<std::map<std::string, int64_t>> oldestRows;

std::string FileStart() {
  return std::string(kUtf8ByteOrderMark) + std::string(kPriceHistoryHeader) + "\r\n";
}

std::optional<std::vector<PriceRecord>> ReadRows(const std::string& path) {
  std::optional<std::string> text = platform::ReadFileTail(path, kMaxPriceHistoryBytes);
  if (!text) return std::nullopt;
  // A file larger than the part read: its first line there is likely the end of a row.
  if (text->size() == kMaxPriceHistoryBytes) text->erase(0, text->find('\n'));
  return ReadPriceRows(*text, kMaxPriceRows);
}

int64_t OldestOf(const std::vector<PriceRecord>& rows, int64_t now) {
  int64_t oldest = now;
  for (const PriceRecord& row : rows) oldest = std::min(oldest, *MinutesOf(row.time));
  return oldest;
}

// Drops the rows more than two years less a day before now, once the oldest is more than two
// years old: so the file is rewritten at most once a day. A file that cannot be rewritten is
// tried again a day later.
void DropOldRows(const std::string& path, int64_t now) {
  auto [oldest, added] = oldestRows->try_emplace(path, now);
  if (added) oldest->second = OldestOf(ReadRows(path).value_or(std::vector<PriceRecord>()), now);
  if (oldest->second >= now - kPriceHistoryMinutes) return;
  const int64_t keptFrom = now - kPriceHistoryMinutes + kOneDay;
  oldest->second = keptFrom;
  const std::optional<std::vector<PriceRecord>> rows = ReadRows(path);
  if (!rows) return;
  std::string text = FileStart();
  int64_t oldestKept = now;
  for (const PriceRecord& row : *rows) {
    const int64_t time = *MinutesOf(row.time);
    if (time < keptFrom) continue;
    text += PriceRow(row);
    oldestKept = std::min(oldestKept, time);
  }
  if (platform::ReplaceFile(path, text, platform::FileReaders::OwnerOnlyWhenNew)) {
    oldest->second = oldestKept;
  }
}

}  // namespace

std::string PriceHistoryPath() {
  const std::string folder = SettingsFolder();
  return folder.empty() ? std::string() : folder + std::string(kPriceHistoryName);
}

bool AppendPriceRecord(const PriceRecord& record) {
  const std::string path = PriceHistoryPath();
  const std::optional<int64_t> now = MinutesOf(record.time);
  if (path.empty() || !now) return false;
  std::lock_guard lock(appendMutex);
  if (!platform::AppendLines(path, FileStart(), PriceRow(record))) return false;
  DropOldRows(path, *now);
  return true;
}

std::optional<std::vector<PriceRecord>> ReadPriceHistory() {
  const std::string path = PriceHistoryPath();
  if (path.empty()) return std::nullopt;
  return ReadRows(path);
}

}  // namespace service
