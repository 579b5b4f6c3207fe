#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace standin {

// The mall's search page for a keyword, UTF-8 HTML. The matching items stand cheapest first,
// each with its time-sale mark: a badge <span class="salesStatus">…</span> (販売終了 or
// 残りわずか) inside the icon area, the icon area <div class="iconArea clfx"> alone while a sale
// runs, or neither. A page without matches has neither marker.
std::string SearchPage(std::string_view keyword, const std::string& self);

// A small page for one catalogue item; none for an unknown code.
std::optional<std::string> ItemPage(std::string_view itemCode, const std::string& self);

}  // namespace standin
