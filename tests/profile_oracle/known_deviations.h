#pragma once

#include <functional>
#include <string>
#include <vector>

#include "profile_oracle/oracle_case.h"

namespace profile_oracle {

// A known way in which our profile functions and Wine's real ones part, as listed in
// docs/RELIABILITY.md: Wine's own deviations from Windows, and choices of ours.
struct KnownDeviation {
  std::string name;
  Case example;  // the smallest case that shows it
  // The case without what sets the two apart. None for the last entry: the files are then
  // compared as the real functions rewrite them.
  std::function<Case(const Case&)> neutralise;
};

const std::vector<KnownDeviation>& KnownDeviations();

}  // namespace profile_oracle
