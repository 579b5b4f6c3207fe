#include "platform/profile/profile_functions.h"

#include "platform/profile/profile_file.h"
#include "platform/profile/writer_lock.h"

namespace platform {

std::vector<std::string> ReadProfileStrings(const std::vector<ProfileKey>& keys,
                                            std::string_view defaultValue,
                                            const std::string& path) {
  const ProfileFile file = ProfileFile::Load(path);
  std::vector<std::string> values;
  for (const auto& k : keys) values.push_back(file.GetString(k.section, k.key, defaultValue));
  return values;
}

bool WriteProfileStrings(std::string_view section, const std::vector<ProfileEntry>& entries,
                         const std::string& path, FileReaders readers) {
  const WriterLock oneWriter(path);
  ProfileFile file = ProfileFile::Load(path);
  for (const auto& entry : entries) file.SetString(section, entry.key, entry.value);
  return file.Save(path, readers);
}

}  // namespace platform
