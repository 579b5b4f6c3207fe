#pragma once

#include <string>
#include <string_view>

namespace platform {

// Replaces the contents of the file at path with bytes so that a crash or power cut at any moment
// leaves the old file or the new one, never a mixture or a truncated file: a new file in the same
// directory is written, flushed to the disk and renamed over the old one; a crash leaves at most
// one temporary file, which the next save reuses. Symbolic links are followed to their target,
// also one that does not exist yet, and the file keeps its mode. A file with other hard links,
// or in a directory that cannot be written, is rewritten in place, its space reserved first.
// False, with the old file as it was, when nothing could be written, when the file is no regular
// file or has no write permission, or when the links loop.
//
// A file that does not exist yet is made readable by everyone the umask allows, or by its owner
// alone.
enum class NewFileReaders { Everyone, OwnerOnly };
bool ReplaceFile(const std::string& path, std::string_view bytes,
                 NewFileReaders readers = NewFileReaders::Everyone);

}  // namespace platform
