// The profile oracle: generated cases through our profile functions and through the real ones
// under Wine. A difference that no known deviation explains fails the run and is shown as the
// smallest case that still shows it. Cases shaped like the program's own saves and hand edits
// must agree on every read.
//
// Usage: profile_oracle SERVER.exe [--seed N] [--cases N] [--program-cases N] [--list 1]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <exception>
#include <string>

#include "profile_oracle/case_generator.h"
#include "profile_oracle/judge.h"
#include "profile_oracle/shrink.h"
#include "support/temp_dir.h"

namespace {

using namespace profile_oracle;

void ShowNew(const Case& found, RealFunctions& real, bool strict, const std::string& where) {
  const Case smallest = Shrink(found, [&](const Case& candidate) {
    return Judge(candidate, real, strict).kind == Verdict::kNew;
  });
  const Verdict verdict = Judge(smallest, real, strict);
  std::printf("NEW DIFFERENCE (%s), smallest case:\n%s", where.c_str(), Describe(smallest).c_str());
  std::printf(
      " ours, with the known deviations taken out (files as the real functions rewrite"
      " them):\n%s the real functions:\n%s",
      Describe(verdict.ours).c_str(), Describe(verdict.real).c_str());
}

unsigned long Option(int argc, char** argv, const std::string& name, unsigned long fallback) {
  for (int i = 2; i + 1 < argc; ++i) {
    if (argv[i] == name) return std::strtoul(argv[i + 1], nullptr, 10);
  }
  return fallback;
}

int Run(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IOLBF, 0);  // a run cut short still shows what it found
  const auto started = std::chrono::steady_clock::now();
  const auto seed = static_cast<uint32_t>(Option(argc, argv, "--seed", 20261207));
  const size_t cases = Option(argc, argv, "--cases", 3000);
  const size_t programCases = Option(argc, argv, "--program-cases", 300);
  const bool showList = Option(argc, argv, "--list", 0) != 0;  // each example with its outcomes
  // Wine's case files beside ours, in the scratch directory (TMPDIR): where freeing disk blocks
  // is slow, each file the real functions rewrite costs milliseconds.
  const testing_support::TempDir scratch;
  RealFunctions real(argv[1], "Z:" + scratch.path());
  const auto& list = KnownDeviations();
  int failures = 0;

  // Every entry of the list still shows in its example, and is what explains it.
  for (size_t i = 0; i < list.size(); ++i) {
    const Verdict verdict = Judge(list[i].example, real);
    const bool stale = verdict.kind != Verdict::kKnown || verdict.known != i;
    if (!stale && !showList) continue;
    if (stale) ++failures;
    std::printf("%s: %s\n%s ours:\n%s the real functions:\n%s",
                stale ? "STALE KNOWN DEVIATION" : "known deviation", list[i].name.c_str(),
                Describe(list[i].example).c_str(), Describe(RunOurs(list[i].example)).c_str(),
                Describe(real.Run(list[i].example)).c_str());
  }

  CaseGenerator generator(seed);
  std::vector<size_t> explained(list.size());
  size_t same = 0;
  for (size_t n = 0; n < cases; ++n) {
    const Case oracleCase = generator.Next();
    const Verdict verdict = Judge(oracleCase, real);
    if (verdict.kind == Verdict::kSame) ++same;
    if (verdict.kind == Verdict::kKnown) ++explained[verdict.known];
    if (verdict.kind == Verdict::kNew) {
      ++failures;
      ShowNew(oracleCase, real, false,
              "seed " + std::to_string(seed) + ", case " + std::to_string(n));
      break;
    }
  }

  size_t programSame = 0;
  for (size_t n = 0; n < programCases; ++n) {
    const Case save = generator.ProgramSave();
    const Case reload =
        generator.ProgramReload(*(n % 2 ? RunOurs(save).file : real.Run(save).file));
    bool agreed = true;
    for (const Case& oracleCase : {save, reload}) {
      const Verdict verdict = Judge(oracleCase, real, true);
      if (verdict.kind != Verdict::kNew) continue;
      ShowNew(oracleCase, real, true, "the program's use, case " + std::to_string(n));
      agreed = false;
      break;
    }
    if (!agreed) {
      ++failures;
      break;
    }
    ++programSame;
  }

  std::printf("profile oracle, seed %u: %zu generated cases, %zu the same", seed, cases, same);
  for (size_t i = 0; i < list.size(); ++i) {
    std::printf("; %zu %s", explained[i], list[i].name.substr(0, 40).c_str());
  }
  const auto seconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  std::printf(". %zu of %zu cases of the program's use agree on every read. %.1f s\n", programSame,
              programCases, seconds);
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 2) {
    std::fprintf(stderr, "usage: profile_oracle SERVER.exe [--seed N] [--cases N]\n");
    return 2;
  }
  try {
    return Run(argc, argv);
  } catch (const std::exception& error) {
    std::fprintf(stderr, "profile oracle: %s\n", error.what());
    return 2;
  }
}
