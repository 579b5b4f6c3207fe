#include "profile_oracle/judge.h"

#include "profile_oracle/run_case.h"
#include "support/temp_dir.h"

namespace profile_oracle {

Outcome RunOurs(const Case& oracleCase) {
  static const testing_support::TempDir dir;
  const std::string path = dir.File("setting.ini");
  PlaceFile(oracleCase.file, path);
  Outcome outcome;
  outcome.reads = RunOnPlatform(oracleCase.ops, path);
  outcome.file = FileAt(path);
  return outcome;
}

Verdict Judge(const Case& oracleCase, RealFunctions& real, bool strict) {
  Verdict verdict;
  verdict.ours = RunOurs(oracleCase);
  verdict.real = real.Run(oracleCase);
  if (verdict.ours == verdict.real) return verdict;
  const auto& list = KnownDeviations();
  Case neutral = oracleCase;
  for (size_t i = 0; i < list.size(); ++i) {
    if (list[i].neutralise) {
      Case without = list[i].neutralise(neutral);
      if (strict || without == neutral) continue;  // nothing of it in the case
      neutral = std::move(without);
      verdict.ours = RunOurs(neutral);
      verdict.real = real.Run(neutral);
    } else {
      verdict.ours.file = real.Rewritten(verdict.ours.file);
      verdict.real.file = real.Rewritten(verdict.real.file);
    }
    if (verdict.ours == verdict.real) {
      verdict.kind = Verdict::kKnown;
      verdict.known = i;
      return verdict;
    }
  }
  verdict.kind = Verdict::kNew;
  return verdict;
}

}  // namespace profile_oracle
