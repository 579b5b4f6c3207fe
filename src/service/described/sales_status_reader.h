#pragma once

#include <string_view>

// The verdict of the mall's search page, read as the item-search answers are (code page 932,
// first-occurrence search of fixed markers, up to a first zero byte): 1 no badge but the icon
// area, 0 a badge with any text but "販売終了", -2 a badge with exactly that text, -1 neither
// marker.
int ParseSalesStatus(std::string_view body);
