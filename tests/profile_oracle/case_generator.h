#pragma once

#include <cstdint>
#include <random>
#include <string>
#include <string_view>
#include <vector>

#include "profile_oracle/oracle_case.h"

namespace profile_oracle {

// Seeded cases in code page 932: the same seed gives the same cases.
class CaseGenerator {
 public:
  explicit CaseGenerator(uint32_t seed) : random_(seed) {}

  // A random INI-like file (CR LF, LF or CR line ends, blanks, quotes, comments, odd brackets,
  // double-byte names, long lines), then reads and writes through the bare functions.
  Case Next();

  // The program's first save of its five keys, with no file yet.
  Case ProgramSave();

  // What a save left, lightly edited by hand; then the program's load, save and load again.
  Case ProgramReload(std::string_view saved);

 private:
  size_t Below(size_t bound) {
    return std::uniform_int_distribution<size_t>(0, bound - 1)(random_);
  }
  bool Chance(int percent) { return Below(100) < static_cast<size_t>(percent); }
  template <typename T>
  const T& Pick(const std::vector<T>& items) {
    return items[Below(items.size())];
  }

  std::string DoubleByte();
  std::string Name();
  std::string Blanks();
  std::string Value();
  std::string WithCaseChanged(std::string name);
  std::string Line(const std::vector<std::string>& sections, const std::vector<std::string>& keys);
  std::vector<Op> ProgramOps(bool withSave);
  std::string ProgramValue(size_t index);

  std::mt19937 random_;
};

}  // namespace profile_oracle
