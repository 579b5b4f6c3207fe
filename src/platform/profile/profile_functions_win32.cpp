#include "platform/profile/profile_functions.h"

#include <windows.h>

#include "platform/profile/writer_lock.h"

namespace platform {

namespace {

std::string Terminated(std::string_view text) { return std::string(text); }

bool WriteEntries(std::string_view section, const std::vector<ProfileEntry>& entries,
                  const std::string& path) {
  const std::string sectionName = Terminated(section);
  for (const auto& entry : entries) {
    if (!WritePrivateProfileStringA(sectionName.c_str(), entry.key.c_str(), entry.value.c_str(),
                                    path.c_str())) {
      return false;
    }
  }
  // Flushes the system's cached copy of the file to the disk.
  WritePrivateProfileStringA(nullptr, nullptr, nullptr, path.c_str());
  return true;
}

std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("\\/");
  return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

std::vector<std::string> ReadProfileStrings(const std::vector<ProfileKey>& keys,
                                            std::string_view defaultValue,
                                            const std::string& path) {
  // Windows strips the default's trailing blanks itself; Wine returns a blank-only default as
  // it is, so they go here already.
  const size_t end = defaultValue.find_last_not_of(' ');
  const std::string trimmedDefault(defaultValue.substr(0, end == defaultValue.npos ? 0 : end + 1));
  std::vector<std::string> values;
  for (const auto& k : keys) {
    char value[512] = {};
    GetPrivateProfileStringA(Terminated(k.section).c_str(), Terminated(k.key).c_str(),
                             trimmedDefault.c_str(), value, sizeof value, path.c_str());
    values.emplace_back(value);
  }
  return values;
}

// readers: Windows keeps no such modes; the file takes its folder's permissions.
bool WriteProfileStrings(std::string_view section, const std::vector<ProfileEntry>& entries,
                         const std::string& path, FileReaders) {
  // The real functions read and rewrite the whole file for each entry: one writer from the copy
  // to the move.
  const WriterLock oneWriter(path);
  // A file the user made read-only is left alone, and so is a folder in its place.
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
    return false;
  }
  // The profile functions write into a copy, which then replaces the file in one step. The copy
  // takes the file's attributes, none of them read-only.
  char temporary[MAX_PATH] = {};
  if (GetTempFileNameA(DirectoryOf(path).c_str(), "kob", 0, temporary) == 0) {
    // The directory refuses new files; an existing writable file can still be written in place.
    return WriteEntries(section, entries, path);
  }
  const bool written =
      (attributes == INVALID_FILE_ATTRIBUTES || CopyFileA(path.c_str(), temporary, FALSE)) &&
      WriteEntries(section, entries, temporary) &&
      MoveFileExA(temporary, path.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
  if (!written) DeleteFileA(temporary);
  return written;
}

}  // namespace platform
