#pragma once

// The service window's fixed texts, in UTF-8. The UI framework converts them at its edge.
namespace texts {

inline constexpr const char* kServiceTesting = "確認しています…";
inline constexpr const char* kServiceAnswered = "接続できました: ";
inline constexpr const char* kServiceSaveFailed =
    "setting.ini に保存できませんでした。ファイルかそのフォルダーが読み取り専用になっていないか"
    "確かめてください。";

}  // namespace texts
