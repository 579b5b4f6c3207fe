#pragma once

#include <string_view>

// Readers of the item-search service's XML answers. Each converts the UTF-8 body to code page 932
// and looks for fixed markers by first-occurrence search in the flat text; neither parses XML. A
// body ends at its first zero byte, if it has one.

// Reads the status and the count of an item-search answer. count is -1 unless a count was read.
// 0 a count was read; -1 no status or no count; -2 status "NotFound"; -3 any other status.
int ParseHitCount(std::string_view body, int& count);

// Fills the hit table and hitCount (at most MaxHits) from an item-search answer. 0 every
// announced record read; -1 a marker missing; -2 "NotFound" and -3 any other status, both with
// hitCount 0. User-interface thread.
int ParseHitList(std::string_view body);
