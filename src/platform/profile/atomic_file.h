#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the contents of the file at path with bytes so that a crash or power cut at any moment
// leaves the old file or the new one, never a mixture or a truncated file: a temporary file in the
// same directory is written, flushed to the disk and renamed over the old one. A symbolic link is
// written through to its target, and the file keeps its mode. Where the directory cannot be
// written but the file can, the file is rewritten in place instead. False when nothing could be
// written; the old file is then as it was.
bool ReplaceFile(const std::string& path, std::string_view bytes);

}  // namespace platform
