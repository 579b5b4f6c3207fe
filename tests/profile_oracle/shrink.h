#pragma once

#include <functional>

#include "profile_oracle/oracle_case.h"

namespace profile_oracle {

// A smallest case, found from oracleCase by taking away ops, lines and bytes one piece at a
// time, for which stillFails holds; at most budget tries.
Case Shrink(Case oracleCase, const std::function<bool(const Case&)>& stillFails,
            size_t budget = 3000);

}  // namespace profile_oracle
