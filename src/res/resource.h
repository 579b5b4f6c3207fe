#pragma once

// Resource identifiers.

// Resources.
inline constexpr unsigned IDP_SOCKETS_INIT_FAILED = 103;  // string
inline constexpr unsigned IDR_MAINFRAME = 128;            // the tray icon
inline constexpr unsigned IDR_TRAY_MENU = 129;
inline constexpr unsigned IDD_SETTINGS = 130;
inline constexpr unsigned IDD_HITLIST = 131;
inline constexpr unsigned IDD_SERVICE = 132;
inline constexpr unsigned IDD_PRICE_HISTORY = 133;
inline constexpr unsigned IDR_TRAY_MENU_HISTORY = 134;  // menu 129 with 価格の推移

// Controls.
inline constexpr int IDC_KEYWORD = 1000;
inline constexpr int IDC_WEBSERVICE = 1001;
inline constexpr int IDC_JUMP_ICHIBA = 1002;
inline constexpr int IDC_ALERT = 1003;
inline constexpr int IDC_SHOW_HITS = 1004;
inline constexpr int IDC_PRICE = 1005;
inline constexpr int IDC_ZAIKO = 1006;
inline constexpr int IDC_HITLIST = 1007;
inline constexpr int IDC_TIMESALE = 1009;
inline constexpr int IDC_JUMP_TIMESALE = 1010;
inline constexpr int IDC_APPLICATION_ID = 1011;
inline constexpr int IDC_ACCESS_KEY = 1012;
inline constexpr int IDC_SHOW_KEY = 1013;
inline constexpr int IDC_AFFILIATE_ID = 1014;
inline constexpr int IDC_REFERER = 1015;
inline constexpr int IDC_ENDPOINT = 1016;
inline constexpr int IDC_DEFAULT_ENDPOINT = 1017;
inline constexpr int IDC_TEST_SERVICE = 1018;
inline constexpr int IDC_TEST_RESULT = 1019;
inline constexpr int IDC_MIN_PRICE = 1020;
inline constexpr int IDC_NG_KEYWORD = 1021;
inline constexpr int IDC_POSTAGE_INCLUDED = 1022;
inline constexpr int IDC_PRICE_HISTORY = 1040;
inline constexpr int IDC_HISTORY_KEYWORD = 1041;
inline constexpr int IDC_HISTORY_WEEK = 1042;
inline constexpr int IDC_HISTORY_MONTH = 1043;
inline constexpr int IDC_HISTORY_YEAR = 1044;
inline constexpr int IDC_HISTORY_CHART = 1045;
inline constexpr int IDC_HISTORY_LAST = 1046;
inline constexpr int IDC_STATIC = -1;

// Menu commands.
inline constexpr unsigned ID_TRAY_OPEN_DIALOG = 32773;
inline constexpr unsigned ID_TRAY_EXIT = 32774;
inline constexpr unsigned ID_TRAY_PRICE_HISTORY = 32775;
