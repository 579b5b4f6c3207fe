#pragma once

#include <sys/types.h>
#include <string>

#include "profile_oracle/oracle_case.h"

namespace profile_oracle {

// The program on the real profile functions, under Wine, kept running for every case.
class RealFunctions {
 public:
  // Starts `wine server directory`, which makes its case files in directory (a Windows path);
  // the environment chooses the Wine prefix and the locale.
  RealFunctions(const std::string& server, const std::string& directory);
  ~RealFunctions();
  RealFunctions(const RealFunctions&) = delete;
  RealFunctions& operator=(const RealFunctions&) = delete;

  // The case's outcome; throws when the program does not answer.
  Outcome Run(const Case& oracleCase);

  // The file as the real functions write it out when they change nothing.
  std::optional<std::string> Rewritten(const std::optional<std::string>& file);

 private:
  pid_t child_ = -1;
  int toChild_ = -1;
  int fromChild_ = -1;
};

}  // namespace profile_oracle
