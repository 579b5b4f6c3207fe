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
// SZ100: 6 items, a smartwatch at 9,480 yen (postage apart) and at 12,800, and its bands (480 and
// 5,980, postage apart), film (380) and cable (1,280), which undercut it.
inline const std::string kSmartWatch = "SZ100";
// [SERVICE] lines that leave the watch alone below 10,000 yen: 下限価格 5,000, 除外キーワード
// ベルト フィルム.
inline const std::string kWatchAlone =
    "MIN_PRICE=5000\r\nNG_KEYWORD=\x83\x78\x83\x8B\x83\x67 \x83\x74\x83\x42\x83\x8B\x83\x80\r\n";
// Nothing matches: "NotFound", and a page without marks.
inline const std::string kNothing = "no such thing";

}  // namespace testing_support
