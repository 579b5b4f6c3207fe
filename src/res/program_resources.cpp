#include "res/program_resources.h"

#include "platform/ui/templates.h"
#include "res/resource.h"
#include "res/shell_texts.h"

namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kHiddenButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kRadioButton = BS_AUTORADIOBUTTON | WS_VISIBLE;
constexpr DWORD kDrawnByTheDialog = SS_OWNERDRAW | WS_VISIBLE;
constexpr DWORD kGroupBox = BS_GROUPBOX | WS_VISIBLE;
constexpr DWORD kEdit = ES_LEFT | ES_AUTOHSCROLL | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | WS_VISIBLE;
constexpr DWORD kReportList = LVS_REPORT | LVS_ALIGNLEFT | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kPasswordEdit = kEdit | ES_PASSWORD;
constexpr DWORD kReadOnlyText = ES_LEFT | ES_MULTILINE | ES_AUTOVSCROLL | ES_READONLY | WS_VSCROLL |
                                WS_BORDER | WS_VISIBLE | WS_TABSTOP;

using enum ControlClass;

constexpr ControlTemplate kSettingsControls[] = {
    {IDOK, Button, kDefaultButton, "OK", 271, 7, 39, 14},
    {IDCANCEL, Button, kHiddenButton, "キャンセル", 226, 7, 31, 14},
    {IDC_STATIC, Static, kLabel, "キーワード", 21, 49, 37, 11},
    {IDC_KEYWORD, Edit, kEdit, "", 61, 46, 209, 15},
    {IDC_WEBSERVICE, Button, kButton, "Supported by 楽天ウェブサービス", 192, 196, 118, 14},
    {IDC_JUMP_ICHIBA, Button, kButton, "楽天ICHIBAへジャンプ", 29, 177, 88, 15},
    {IDC_ALERT, Button, kCheckBox, "アラートを有効にする", 37, 20, 76, 14},
    {IDC_SHOW_HITS, Button, kButton, "ヒットしたリストを見る", 130, 23, 77, 16},
    {IDC_PRICE, Edit, kEdit, "", 102, 79, 84, 15},
    {IDC_STATIC, Static, kLabel, "設定価格", 59, 81, 34, 11},
    {IDC_STATIC, Static, kLabel, "円以下", 195, 82, 31, 11},
    {IDC_STATIC, Button, kGroupBox, "条件１", 35, 69, 215, 32},
    {IDC_ZAIKO, Button, kCheckBox, "在庫チェック", 59, 113, 61, 15},
    {IDC_STATIC, Button, kGroupBox, "条件２", 35, 104, 215, 32},
    {IDC_TIMESALE, Button, kCheckBox, "タイムセール対応", 60, 153, 73, 12},
    {IDC_STATIC, Button, kGroupBox, "条件３", 36, 142, 214, 30},
    {IDC_JUMP_TIMESALE, Button, kButton, "楽天市場タイムセールへジャンプ", 138, 153, 109, 13},
};

constexpr ControlTemplate kHitListControls[] = {
    {IDOK, Button, kDefaultButton, "OK", 336, 7, 50, 14},
    {IDCANCEL, Button, kHiddenButton, "キャンセル", 278, 7, 50, 14},
    {IDC_HITLIST, ListView, kReportList, "", 23, 34, 344, 190},
    {IDC_STATIC, Static, kLabel, "対象項目をダブルクリックでサイトへジャンプします", 73, 21, 177,
     10},
};

// Each value with the name of its key in setting.ini, which the outcomes' fixes name; what
// narrows the searches in a group of its own below the id and the key, and the recording, which
// uses it, just below.
constexpr ControlTemplate kServiceControls[] = {
    {IDC_STATIC, Static, kLabel, "アプリID (APPLICATION_ID)", 7, 10, 95, 10},
    {IDC_APPLICATION_ID, Edit, kEdit, "", 105, 8, 238, 14},
    {IDC_STATIC, Static, kLabel, "アクセスキー (ACCESS_KEY)", 7, 28, 95, 10},
    {IDC_ACCESS_KEY, Edit, kPasswordEdit, "", 105, 26, 193, 14},
    {IDC_SHOW_KEY, Button, kCheckBox, "表示する", 303, 27, 40, 12},
    {IDC_STATIC, Button, kGroupBox, "絞り込み", 7, 44, 336, 73},
    {IDC_STATIC, Static, kLabel, "下限価格 (MIN_PRICE)", 14, 58, 100, 10},
    {IDC_MIN_PRICE, Edit, kEdit, "", 116, 56, 50, 14},
    {IDC_STATIC, Static, kLabel, "円以上。設定価格より低い額で、安い付属品を除きます", 170, 58, 167,
     10},
    {IDC_STATIC, Static, kLabel, "除外キーワード (NG_KEYWORD)", 14, 76, 100, 10},
    {IDC_NG_KEYWORD, Edit, kEdit, "", 116, 74, 221, 14},
    {IDC_STATIC, Static, kLabel, "これらの語を含む商品を除きます。語はスペースで区切ります", 116,
     89, 221, 10},
    {IDC_POSTAGE_INCLUDED, Button, kCheckBox, "送料込みのみ (POSTAGE_INCLUDED)", 14, 101, 150, 12},
    {IDC_STATIC, Static, kLabel, "送料別の商品を除きます", 170, 102, 167, 10},
    {IDC_PRICE_HISTORY, Button, kCheckBox, "価格を記録する (PRICE_HISTORY)", 7, 123, 140, 12},
    {IDC_STATIC, Static, kLabel, "毎時、絞り込んだ最安値を記録します（設定価格なし）", 170, 124,
     173, 10},
    {IDC_STATIC, Static, kLabel, "アフィリエイトID (AFFILIATE_ID)", 7, 141, 95, 10},
    {IDC_AFFILIATE_ID, Edit, kEdit, "", 105, 139, 238, 14},
    {IDC_STATIC, Static, kLabel, "任意。ヒットをこのIDのアフィリエイトリンクで開きます", 105, 154,
     238, 10},
    {IDC_STATIC, Static, kLabel, "サイト (REFERER)", 7, 169, 95, 10},
    {IDC_REFERER, Edit, kEdit, "", 105, 167, 238, 14},
    {IDC_STATIC, Static, kLabel, "Webアプリケーション型のアプリだけ: 登録したサイトのアドレス", 105,
     182, 238, 10},
    {IDC_STATIC, Static, kLabel, "接続先 (ENDPOINT)", 7, 197, 95, 10},
    {IDC_ENDPOINT, Edit, kEdit, "", 105, 195, 238, 14},
    {IDC_STATIC, Static, kLabel, "空欄のときは標準:", 7, 212, 95, 10},
    {IDC_DEFAULT_ENDPOINT, Static, kLabel, "", 105, 212, 238, 10},
    {IDC_TEST_SERVICE, Button, kButton, "接続テスト", 7, 231, 60, 14},
    {IDC_STATIC, Static, kLabel,
     "画面の値で、次の確認と同じ問い合わせを1回します（保存はしません）", 72, 234, 271, 10},
    {IDC_STATIC, Static, kLabel, "結果", 7, 252, 24, 10},
    {IDC_TEST_RESULT, Edit, kReadOnlyText, "", 34, 250, 309, 48},
    {IDOK, Button, kDefaultButton, "OK", 239, 306, 50, 14},
    {IDCANCEL, Button, kButton, "キャンセル", 293, 306, 50, 14},
};

// The keyword's cheapest price over a period: one choice of three, the chart, and the last row in
// words.
constexpr ControlTemplate kPriceHistoryControls[] = {
    {IDC_HISTORY_KEYWORD, Static, kLabel, "", 7, 9, 190, 10},
    {IDC_HISTORY_WEEK, Button, kRadioButton | WS_GROUP | WS_TABSTOP, "7日間", 208, 8, 38, 11},
    {IDC_HISTORY_MONTH, Button, kRadioButton, "30日間", 248, 8, 42, 11},
    {IDC_HISTORY_YEAR, Button, kRadioButton, "1年間", 292, 8, 38, 11},
    {IDC_HISTORY_CHART, Static, kDrawnByTheDialog, "", 7, 24, 326, 170},
    {IDC_HISTORY_LAST, Static, kLabel, "", 7, 203, 260, 10},
    {IDOK, Button, kDefaultButton | WS_GROUP, "閉じる", 283, 200, 50, 14},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_SETTINGS, kDialogStyle, "Kobanu  Ver 1.00", 317, 217, "MS Shell Dlg", 8,
     kSettingsControls},
    {IDD_HITLIST, kDialogStyle, "ヒット結果", 393, 249, "MS Shell Dlg", 8, kHitListControls},
    // A window of its own, started alone: it has a taskbar button.
    {IDD_SERVICE, kDialogStyle, "Kobanu サービス設定", 350, 327, "MS Shell Dlg", 8,
     kServiceControls, WS_EX_APPWINDOW},
    // Opened from the tray, or started alone (kobanu --price-history) with a taskbar button.
    {IDD_PRICE_HISTORY, kDialogStyle, "価格の推移", 340, 221, "MS Shell Dlg", 8,
     kPriceHistoryControls, WS_EX_APPWINDOW},
};

constexpr MenuItemTemplate kTrayMenuItems[] = {
    {ID_TRAY_OPEN_DIALOG, "ダイアログを開く"},
    {0, nullptr},
    {ID_TRAY_EXIT, "終了"},
};

// While the prices are recorded.
constexpr MenuItemTemplate kTrayMenuHistoryItems[] = {
    {ID_TRAY_OPEN_DIALOG, "ダイアログを開く"},
    {ID_TRAY_PRICE_HISTORY, "価格の推移"},
    {0, nullptr},
    {ID_TRAY_EXIT, "終了"},
};

constexpr MenuTemplate kMenus[] = {{IDR_TRAY_MENU, "メニュー", kTrayMenuItems},
                                   {IDR_TRAY_MENU_HISTORY, "メニュー", kTrayMenuHistoryItems}};

}  // namespace

const ResourceTable& ProgramResources() {
  static constexpr ResourceTable table{.dialogs = kDialogs,
                                       .menus = kMenus,
                                       .mainWindowTitle = texts::kMainWindowTitle,
                                       .trayMenu = IDR_TRAY_MENU,
                                       .programIcon = IDR_MAINFRAME,
                                       // the installed entry's name (src/app/install.cmake)
                                       .desktopEntry = "io.github.kobanu.kobanu",
                                       .noTrayNotice = texts::kNoTrayNotice};
  return table;
}
