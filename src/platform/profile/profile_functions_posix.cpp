#include "platform/profile/profile_functions.h"

#include "platform/profile/profile_file.h"

namespace platform {

std::string ReadProfileString(std::string_view section, std::string_view key,
                              std::string_view defaultValue, const std::string& path) {
  return ProfileFile::Load(path).GetString(section, key, defaultValue);
}

bool WriteProfileStrings(std::string_view section, const std::vector<ProfileEntry>& entries,
                         const std::string& path) {
  ProfileFile file = ProfileFile::Load(path);
  for (const auto& entry : entries) file.SetString(section, entry.key, entry.value);
  return file.Save(path);
}

}  // namespace platform
