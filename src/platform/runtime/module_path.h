#pragma once

#include <cstddef>
#include <string>

namespace platform {

// Full path of the running executable (GetModuleFileName). Empty when it cannot be read.
std::string ExecutablePath();

// The longest path, terminator included, that the platform's file functions take.
extern const size_t kMaxPathLength;

// Tests place the executable's directory elsewhere so that each works on its own files.
std::string SetExecutablePathForTesting(std::string path);  // returns the path it replaces

// The pieces of a path, as the runtime's _splitpath gives them: the directory ends with its
// separator, the extension begins with its dot; joined in order they give the path again.
struct PathParts {
  std::string drive;
  std::string dir;
  std::string name;
  std::string ext;
};
PathParts SplitPath(const std::string& path);

// One spelling for every spelling of a path: absolute, with links, ".", ".." and repeated
// separators resolved as far as the path exists and the rest normalised as written (and, on
// Windows, in one case). The path as given when even that fails.
std::string CanonicalPath(const std::string& path);

}  // namespace platform
