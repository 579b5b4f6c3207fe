#include "res/program_resources.h"

#include "platform/ui/templates.h"
#include "res/resource.h"
#include "res/shell_texts.h"

namespace {

constexpr DWORD kDialogStyle = DS_MODALFRAME | DS_SHELLFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
constexpr DWORD kShown = WS_VISIBLE;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kDefaultButton = BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kHiddenButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kCheckBox = BS_AUTOCHECKBOX | WS_VISIBLE | WS_TABSTOP;
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
// narrows the searches in a group of its own below the id and the key.
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
    {IDC_STATIC, Static, kLabel, "アフィリエイトID (AFFILIATE_ID)", 7, 125, 95, 10},
    {IDC_AFFILIATE_ID, Edit, kEdit, "", 105, 123, 238, 14},
    {IDC_STATIC, Static, kLabel, "任意。ヒットをこのIDのアフィリエイトリンクで開きます", 105, 138,
     238, 10},
    {IDC_STATIC, Static, kLabel, "サイト (REFERER)", 7, 153, 95, 10},
    {IDC_REFERER, Edit, kEdit, "", 105, 151, 238, 14},
    {IDC_STATIC, Static, kLabel, "Webアプリケーション型のアプリだけ: 登録したサイトのアドレス", 105,
     166, 238, 10},
    {IDC_STATIC, Static, kLabel, "接続先 (ENDPOINT)", 7, 181, 95, 10},
    {IDC_ENDPOINT, Edit, kEdit, "", 105, 179, 238, 14},
    {IDC_STATIC, Static, kLabel, "空欄のときは標準:", 7, 196, 95, 10},
    {IDC_DEFAULT_ENDPOINT, Static, kLabel, "", 105, 196, 238, 10},
    {IDC_TEST_SERVICE, Button, kButton, "接続テスト", 7, 215, 60, 14},
    {IDC_STATIC, Static, kLabel,
     "画面の値で、次の確認と同じ問い合わせを1回します（保存はしません）", 72, 218, 271, 10},
    {IDC_STATIC, Static, kLabel, "結果", 7, 236, 24, 10},
    {IDC_TEST_RESULT, Edit, kReadOnlyText, "", 34, 234, 309, 48},
    {IDOK, Button, kDefaultButton, "OK", 239, 290, 50, 14},
    {IDCANCEL, Button, kButton, "キャンセル", 293, 290, 50, 14},
};

constexpr DialogTemplate kDialogs[] = {
    {IDD_SETTINGS, kDialogStyle, "Kobanu  Ver 1.00", 317, 217, "MS Shell Dlg", 8,
     kSettingsControls},
    {IDD_HITLIST, kDialogStyle, "ヒット結果", 393, 249, "MS Shell Dlg", 8, kHitListControls},
    // A window of its own, started alone: it has a taskbar button.
    {IDD_SERVICE, kDialogStyle, "Kobanu サービス設定", 350, 311, "MS Shell Dlg", 8,
     kServiceControls, WS_EX_APPWINDOW},
};

constexpr MenuItemTemplate kTrayMenuItems[] = {
    {ID_TRAY_OPEN_DIALOG, "ダイアログを開く"},
    {0, nullptr},
    {ID_TRAY_EXIT, "終了"},
};

constexpr MenuTemplate kMenus[] = {{IDR_TRAY_MENU, "メニュー", kTrayMenuItems}};

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
