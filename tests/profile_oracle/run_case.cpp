#include "profile_oracle/run_case.h"

#include <filesystem>
#include <system_error>

#include "platform/profile/profile_functions.h"
#include "support/temp_dir.h"

namespace profile_oracle {

void PlaceFile(const std::optional<std::string>& file, const std::string& path) {
  std::error_code error;
  std::filesystem::remove(path, error);
  if (file) testing_support::WriteFile(path, *file);
}

std::optional<std::string> FileAt(const std::string& path) {
  std::error_code error;
  if (!std::filesystem::exists(path, error)) return std::nullopt;
  return testing_support::ReadFile(path);
}

std::vector<std::string> RunOnPlatform(const std::vector<Op>& ops, const std::string& path) {
  std::vector<std::string> reads;
  for (size_t i = 0; i < ops.size(); ++i) {
    const Op& op = ops[i];
    if (op.kind == OpKind::kRead) {
      std::vector<platform::ProfileKey> keys{{op.section, op.key}};
      while (i + 1 < ops.size() && ops[i + 1].kind == OpKind::kRead &&
             ops[i + 1].section == op.section && ops[i + 1].text == op.text) {
        ++i;
        keys.push_back({op.section, ops[i].key});
      }
      for (auto& value : platform::ReadProfileStrings(keys, op.text, path)) {
        reads.push_back(std::move(value));
      }
      continue;
    }
    std::vector<platform::ProfileEntry> entries{{op.key, op.text}};
    while (i + 1 < ops.size() && ops[i + 1].kind == OpKind::kWrite &&
           ops[i + 1].section == op.section) {
      ++i;
      entries.push_back({ops[i].key, ops[i].text});
    }
    platform::WriteProfileStrings(op.section, entries, path);
  }
  return reads;
}

}  // namespace profile_oracle
