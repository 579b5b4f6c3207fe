#include "platform/runtime/system_paths.h"

#include <windows.h>

#include <cstdlib>

#include "platform/runtime/module_path.h"

namespace platform {

const size_t kMaxPathLength = MAX_PATH;

std::string SystemExecutablePath() {
  char path[MAX_PATH] = {};
  const DWORD length = GetModuleFileNameA(nullptr, path, MAX_PATH);
  return length == 0 || length == MAX_PATH ? std::string() : std::string(path, length);
}

PathParts SplitPath(const std::string& path) {
  char drive[_MAX_DRIVE] = {}, dir[_MAX_DIR] = {}, name[_MAX_FNAME] = {}, ext[_MAX_EXT] = {};
  if (_splitpath_s(path.c_str(), drive, sizeof drive, dir, sizeof dir, name, sizeof name, ext,
                   sizeof ext) != 0) {
    return {};
  }
  return {drive, dir, name, ext};
}

std::string CanonicalPath(const std::string& path) {
  char full[MAX_PATH] = {};
  const DWORD length = GetFullPathNameA(path.c_str(), MAX_PATH, full, nullptr);
  std::string canonical = length == 0 || length >= MAX_PATH ? path : std::string(full, length);
  // Windows ignores case in paths; a double-byte character's trail byte is no letter.
  for (size_t i = 0; i < canonical.size(); ++i) {
    const auto byte = static_cast<unsigned char>(canonical[i]);
    if (IsDBCSLeadByte(byte)) {
      ++i;
    } else if (byte >= 'a' && byte <= 'z') {
      canonical[i] = static_cast<char>(byte - 'a' + 'A');
    }
  }
  return canonical;
}

}  // namespace platform
