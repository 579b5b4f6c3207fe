#pragma once

#include <string>

#include "profile_oracle/known_deviations.h"
#include "profile_oracle/oracle_case.h"
#include "profile_oracle/real_functions.h"

namespace profile_oracle {

// Our profile functions on a file in a scratch directory.
Outcome RunOurs(const Case& oracleCase);

struct Verdict {
  enum Kind { kSame, kKnown, kNew } kind = kSame;
  size_t known = 0;  // the deviation that explains it, for kKnown
  Outcome ours;      // for kNew: both outcomes once every known deviation is taken out
  Outcome real;
};

// Compares the case's outcomes. A difference is known when taking out the known deviations one
// after the other, in the order of the list, makes it go; the first that does explains it. With
// strict, only the last entry (files compared as the real functions rewrite them) may.
Verdict Judge(const Case& oracleCase, RealFunctions& real, bool strict = false);

}  // namespace profile_oracle
