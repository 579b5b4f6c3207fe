#include <windows.h>
// The system's ReplaceFile is a macro for ReplaceFileA/W, which would rename ours.
#undef ReplaceFile

#include "platform/profile/atomic_file.h"

namespace platform {

// A new file beside the old one, written, flushed and moved over it: a crash leaves the old file
// or the new one. Windows keeps no mode bits; a folder under the user's profile is the user's
// alone, so readers need no care of their own. A read-only file, or no file at all but a folder or
// device, is left alone.
bool ReplaceFile(const std::string& path, std::string_view bytes, FileReaders) {
  const DWORD attributes = GetFileAttributesA(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES &&
      (attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DEVICE |
                     FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    return false;
  }
  const std::string staging = path + ".new";
  HANDLE file = CreateFileA(staging.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  DWORD written = 0;
  const bool complete =
      WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
      written == bytes.size() && FlushFileBuffers(file);
  CloseHandle(file);
  if (complete && MoveFileExA(staging.c_str(), path.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    return true;
  }
  DeleteFileA(staging.c_str());
  return false;
}

}  // namespace platform
