#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "platform/profile/file_readers.h"

namespace platform {

// A profile (INI) file with the rules of the platform's profile functions
// (GetPrivateProfileString, WritePrivateProfileString). Values are bytes and are never converted.
class ProfileFile {
 public:
  // The longest value that a read returns: a 512-byte buffer less its terminator.
  static constexpr size_t kMaxValue = 511;

  // No settings file comes near this size; a larger one is taken for something else.
  static constexpr size_t kMaxFileSize = 1 << 20;

  // Reads the file in one go, without waiting on it. A missing file reads as an empty one. So
  // does a file that cannot be read as text (no regular file, unreadable, larger than
  // kMaxFileSize, UTF-16, a read error), and Save then leaves it alone. A UTF-16 file is read
  // as the platform reads one, its text turned into code page 932. A UTF-8 byte-order mark is
  // skipped and written back by Save.
  static ProfileFile Load(const std::string& path);

  // The file whose bytes are text. Lines end in CR LF, LF or a lone CR, even right after a
  // lead byte, which then stays a byte of its own.
  static ProfileFile Parse(std::string_view text);

  // The value of a key; section and key match without regard to letter case and to blanks
  // around them. The value is the text after '=' without the blanks around it (0x1A, an old
  // end-of-file mark, counts as one) and without one pair of enclosing quotation
  // marks. A missing section or key gives defaultValue without its trailing blanks. At most
  // kMaxValue bytes and never half a double-byte character, up to the first zero byte.
  std::string GetString(std::string_view section, std::string_view key,
                        std::string_view defaultValue) const;

  // Sets a key: an existing key's value is replaced in place, a new key is added at the end of
  // its section, and a missing section is added at the end of the file. Every other line stays.
  void SetString(std::string_view section, std::string_view key, std::string_view value);

  // The file's bytes: every line ended by CR LF.
  std::string Text() const;

  // Replaces the file at path (ReplaceFile) so that a crash leaves either the old or the new
  // file; by default a file it creates is readable by its owner alone, one that exists keeps its
  // mode. False, with the old file untouched, when it cannot, when Load could not read it, or
  // when the text is larger than kMaxFileSize.
  bool Save(const std::string& path, FileReaders readers = FileReaders::OwnerOnlyWhenNew) const;

 private:
  struct Position {
    size_t sectionLine;  // the header's index; lines.size() when the section is missing
    size_t keyLine;      // the key's index; lines.size() when the key is missing
  };
  Position Find(std::string_view section, std::string_view key) const;
  std::string_view Line(size_t index) const;
  void SetLine(size_t index, const std::string& line);

  // One buffer holds the file's text and then every line written since; lines are pieces of
  // it, without their line ends, so that a file of many short lines costs little.
  struct Piece {
    size_t offset;
    size_t length;
  };
  std::string text_;
  std::vector<Piece> lines_;
  bool byteOrderMark_ = false;
  bool writable_ = true;
};

}  // namespace platform
