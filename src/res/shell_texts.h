#pragma once

// The desktop shell's fixed texts, in UTF-8. The UI framework converts them at its edge.
namespace texts {

// Application start-up and the tray window.

inline constexpr const char* kAppName = "Kobanu";
inline constexpr const char* kRegistryKey = "Kobanu_アプリケーション";
inline constexpr const char* kMainWindowTitle = "見えないメインウィンドウ";
inline constexpr const char* kSocketsInitFailed = "Windows ソケットの初期化に失敗しました。";
inline constexpr const char* kTrayIconFailed = "通知領域にアイコンを登録できませんでした。";
inline constexpr const char* kTrayTip = "Kobanuアプリ";
// A desktop notification, when no notification area has come 30 seconds after the start.
inline constexpr const char* kNoTrayNotice =
    "Kobanu は動いています。通知領域が使えるようになると、そこにアイコンが表示されます。"
    "GNOME では拡張機能 AppIndicator (AppIndicator and KStatusNotifierItem Support) が"
    "通知領域になります。設定はもう一度起動すると開けます。";

// Settings dialog.
inline constexpr const char* kPriceNegativeShort = "負のデータがあります！！";
inline constexpr const char* kPriceNotNumberShort = "数値以外のデータがあります！！";

// Hit-list column headings.
inline constexpr const char* kColumnTitle = "タイトル";
inline constexpr const char* kColumnPrice = "価格";
inline constexpr const char* kColumnPointRate = "ポイント倍付";
inline constexpr const char* kColumnShop = "ショップ名";
inline constexpr const char* kColumnItemCode = "商品コード";
inline constexpr const char* kColumnIndex = "index";

// The IchibaItem/Search service: a hit list that could not be searched, and the tray's notice when
// checks keep failing. The cause and the fix follow them.
inline constexpr const char* kHitListFailed = "ヒットしたリストを取得できませんでした。";
inline constexpr const char* kChecksFailing = "Kobanu 確認できない状態が続いています";

}  // namespace texts
