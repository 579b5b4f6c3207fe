#pragma once

#include <optional>
#include <string>
#include <vector>

#include "profile_oracle/oracle_case.h"

namespace profile_oracle {

// Puts the case's file at path, or removes what is there when the case has none.
void PlaceFile(const std::optional<std::string>& file, const std::string& path);

// The file's bytes, or none when there is no file.
std::optional<std::string> FileAt(const std::string& path);

// Runs the ops through the platform's narrow profile functions on the file at path, each run of
// reads or writes in one section in one call, as a load or a save does. The values read.
std::vector<std::string> RunOnPlatform(const std::vector<Op>& ops, const std::string& path);

}  // namespace profile_oracle
