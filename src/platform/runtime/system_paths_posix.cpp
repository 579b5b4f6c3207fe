#include "platform/runtime/system_paths.h"

#include <climits>
#include <filesystem>
#include <system_error>

#include "platform/runtime/module_path.h"

namespace platform {

const size_t kMaxPathLength = PATH_MAX;

std::string SystemExecutablePath() {
  std::error_code error;
  const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
  return error ? std::string() : path.string();
}

PathParts SplitPath(const std::string& path) {
  PathParts parts;  // no drive letters here
  const size_t slash = path.rfind('/');
  const size_t nameStart = slash == std::string::npos ? 0 : slash + 1;
  parts.dir = path.substr(0, nameStart);
  const size_t dot = path.rfind('.');
  const size_t extStart = dot == std::string::npos || dot < nameStart ? path.size() : dot;
  parts.name = path.substr(nameStart, extStart - nameStart);
  parts.ext = path.substr(extStart);
  return parts;
}

std::string CanonicalPath(const std::string& path) {
  std::error_code error;
  const auto canonical = std::filesystem::weakly_canonical(path, error);
  return error || canonical.empty() ? path : canonical.string();
}

}  // namespace platform
