#pragma once

#include <string>

// Keywords of the stand-in mall's catalogue, in code page 932, and what the mall answers for them.
namespace testing_support {

// 腕時計: 38 items (35 in stock, the cheapest 1,480 yen); its search page shows the time sale
// running.
inline const std::string kWatch = "\x98\x72\x8E\x9E\x8C\x76";
// 福袋: 4 items; its search page's badge says the sale has ended (販売終了).
inline const std::string kFukubukuro = "\x95\x9F\x91\xDC";
// 財布: 5 items; its search page carries another badge.
inline const std::string kWallet = "\x8D\xE0\x95\x7A";
// マグカップ: 2 items; its search page has neither mark.
inline const std::string kMug = "\x83\x7D\x83\x4F\x83\x4A\x83\x62\x83\x76";
// Nothing matches: "NotFound", and a page without marks.
inline const std::string kNothing = "no such thing";

}  // namespace testing_support
