#pragma once

// The price history's fixed texts, in UTF-8. The UI framework converts them at its edge.
namespace texts {

inline constexpr const char* kYen = "円";
inline constexpr const char* kCheapest = "最安";
inline constexpr const char* kMatches = "該当";
inline constexpr const char* kMatchesUnit = "件";
inline constexpr const char* kNoMatch = "該当なし";
inline constexpr const char* kNotChecked = "確認できません";
inline constexpr const char* kMonth = "月";
inline constexpr const char* kCeiling = "上限";
inline constexpr const char* kCheapestPrice = "最安値";
inline constexpr const char* kFailedHours = "確認できなかった時間";
inline constexpr const char* kKeywordsCheapest = " の最安値";
inline constexpr const char* kNoPricesInPeriod = "この期間の価格の記録はありません";
inline constexpr const char* kNoHistory = "価格の記録はまだありません";
inline constexpr const char* kHowToRecord =
    "サービス設定の「価格を記録する」で、1時間ごとに最安値を記録します";

}  // namespace texts
