#pragma once

#include <string>

#include "state/hit_table.h"

// A plain transcription of the readers' cut-and-search steps: each cut really removes the front
// of the text and every search starts at offset 0. Slow, and kept only to check the readers.
namespace transcription {

int ParseHitCount(const std::string& body, int& count);
int ParseHitList(const std::string& body, HitTable& table, int& hitCount);
int ParseSalesStatus(const std::string& body);

}  // namespace transcription
