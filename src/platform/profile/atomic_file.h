#pragma once

#include <string>
#include <string_view>

#include "platform/profile/file_readers.h"

namespace platform {

// Replaces the contents of the file at path with bytes so that a crash or power cut at any moment
// leaves the old file or the new one, never a mixture or a truncated file: a new file in the same
// directory is written, flushed to the disk and renamed over the old one. Its name there is the
// writer's own (two processes saving at once never take each other's), and a save removes what a
// writer that died before its rename left. Symbolic links are followed to their target, also one
// that does not exist yet. A file with other hard links, or in a directory that cannot be
// written, is rewritten in place, its space reserved first. False, with the old file as it was,
// when nothing could be written, when the file is no regular file or has no write permission, or
// when the links loop.
bool ReplaceFile(const std::string& path, std::string_view bytes,
                 FileReaders readers = FileReaders::Everyone);

}  // namespace platform
