#pragma once

// The program's fixed texts, in UTF-8. The UI framework converts them at its edge.
namespace texts {

// Watch worker.
inline constexpr const char* kNoKeyword = "キーワードが入力されていません！！";
inline constexpr const char* kPriceNegative = "設定価格に負のデータがあります！！";
inline constexpr const char* kPriceNotNumber = "設定価格に数値以外のデータがあります！！";
inline constexpr const char* kTimeSaleEnded = "Kobanu タイムセール終了しています";
inline constexpr const char* kConditionMet = "Kobanu 条件が成立しました！！";

}  // namespace texts
