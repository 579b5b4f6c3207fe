#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// One case of the profile oracle: a settings file as it lies on the disk, then reads and writes
// through the profile functions. Both implementations run it; their outcomes must match.
namespace profile_oracle {

enum class OpKind : char {
  kRead = 'r',     // section, key, default
  kWrite = 'w',    // section, key, value
  kRewrite = 'x',  // the real functions rewrite the whole file, changing no value
};

struct Op {
  OpKind kind;
  std::string section;
  std::string key;
  std::string text;
  bool operator==(const Op&) const = default;
};

struct Case {
  // Through the program's own wrappers (a save writes its keys in one call) rather than the
  // bare functions.
  bool program = false;
  std::optional<std::string> file;  // none: there is no file
  std::vector<Op> ops;
  bool operator==(const Case&) const = default;
};

struct Outcome {
  std::vector<std::string> reads;   // one per read, in order
  std::optional<std::string> file;  // the file's bytes after the last op
  bool operator==(const Outcome&) const = default;
};

// Messages between the test and the program on the real functions: each a 32-bit length (least
// significant byte first) and its bytes.
std::string Encode(const Case& oracleCase);
std::string Encode(const Outcome& outcome);
bool Decode(std::string_view message, Case& oracleCase);
bool Decode(std::string_view message, Outcome& outcome);
std::string Framed(std::string_view message);

// Readable forms, with every byte that is not printable ASCII as \xHH.
std::string Escaped(std::string_view bytes);
std::string Describe(const Case& oracleCase);
std::string Describe(const Outcome& outcome);

}  // namespace profile_oracle
