#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/file_readers.h"

// The platform's profile (INI) file functions: lookup without regard to letter case, blanks and
// one pair of quotation marks around a value removed, a missing key giving the default without
// its trailing blanks, at most 511 bytes returned. Values are bytes and are never converted.
namespace platform {

struct ProfileKey {
  std::string_view section;
  std::string_view key;
};

// GetPrivateProfileString with a 512-byte buffer for each key, in order. Our own reader reads
// the file once for all of them, so that a save by another process cannot give a mixture.
std::vector<std::string> ReadProfileStrings(const std::vector<ProfileKey>& keys,
                                            std::string_view defaultValue, const std::string& path);

struct ProfileEntry {
  std::string key;
  std::string value;
};

// WritePrivateProfileString for each entry, in order, with every entry reaching the disk in one
// replacement of the file: a crash leaves the old file or the new one. The file and the section
// are created when missing; every other line stays. One writer at a time, across processes
// (WriterLock), from the read of the file to its replacement, so that no two saves undo each
// other. False, with the file as it was, when it cannot be written or read, or the user made it
// read-only.
bool WriteProfileStrings(std::string_view section, const std::vector<ProfileEntry>& entries,
                         const std::string& path,
                         FileReaders readers = FileReaders::OwnerOnlyWhenNew);

}  // namespace platform
