#pragma once

#include <string_view>

// Readers of the services' answers. Each converts the UTF-8 body to code page 932 and looks for
// fixed markers by first-occurrence search in the flat text; none of them parses XML or HTML.
// A body ends at its first zero byte, if it has one.

// Reads the status and the count of an item-search answer. count is -1 unless a count was read.
// 0 a count was read; -1 no status or no count; -2 status "NotFound"; -3 any other status.
int ParseHitCount(std::string_view body, int& count);

// Fills the hit table and hitCount (at most MaxHits) from an item-search answer. 0 every
// announced record read; -1 a marker missing; -2 "NotFound" and -3 any other status, both with
// hitCount 0. User-interface thread.
int ParseHitList(std::string_view body);

// The verdict of the mall's search page: 1 no badge but the icon area, 0 a badge with any text
// but "販売終了", -2 a badge with exactly that text, -1 neither marker.
int ParseSalesStatus(std::string_view body);
