#include <windows.h>

#include <cstdlib>

#include "platform/runtime/module_path.h"
#include "platform/runtime/system_paths.h"

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

}  // namespace platform
