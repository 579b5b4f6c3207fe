#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <thread>

#include "platform/ui/afxwin.h"
#include "support/headless_backend.h"

namespace {

using ui::headless::HeadlessBackend;
using ui::headless::HeadlessDialog;
using enum ControlClass;

// The framework's own small resources: a dialog with a check box, two labelled edits and the
// two buttons (Cancel hidden), and a pop-up menu with a separator.
constexpr UINT IDD_FORM = 100;
constexpr UINT IDR_POPUP = 200;
constexpr int IDC_ALERT = 1001;
constexpr int IDC_NAME = 1002;
constexpr int IDC_PRICE = 1003;
constexpr UINT ID_OPEN = 300;
constexpr UINT ID_EXIT = 301;
constexpr UINT IDR_ICON = 400;
constexpr DWORD kEdit = ES_LEFT | WS_BORDER | WS_VISIBLE | WS_TABSTOP;
constexpr DWORD kLabel = SS_LEFT | WS_VISIBLE;

constexpr ControlTemplate kFormControls[] = {
    {IDOK, Button, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, "OK", 150, 7, 40, 14},
    {IDCANCEL, Button, BS_PUSHBUTTON | WS_TABSTOP, "Cancel", 100, 7, 40, 14},
    {IDC_ALERT, Button, BS_AUTOCHECKBOX | WS_VISIBLE | WS_TABSTOP, "Alert", 10, 7, 60, 14},
    {-1, Static, kLabel, "Name", 10, 30, 30, 11},
    {IDC_NAME, Edit, kEdit, "", 45, 28, 100, 15},
    {-1, Static, kLabel, "far left", 2, 52, 20, 11},
    {-1, Static, kLabel, "Price", 30, 52, 30, 11},
    {IDC_PRICE, Edit, kEdit, "", 65, 50, 60, 15},
    {-1, Static, kLabel, "yen", 130, 52, 20, 11},
};
// A picture drawn by its dialog.
constexpr UINT IDD_PICTURE = 101;
constexpr int IDC_PICTURE = 1004;
constexpr ControlTemplate kPictureControls[] = {
    {IDC_PICTURE, Static, SS_OWNERDRAW | WS_VISIBLE, "", 7, 20, 100, 40},
    {IDOK, Button, BS_DEFPUSHBUTTON | WS_VISIBLE | WS_TABSTOP, "OK", 150, 60, 40, 14},
};
constexpr DialogTemplate kDialogs[] = {
    {IDD_FORM, DS_MODALFRAME | WS_POPUP | WS_CAPTION, "Form", 200, 80, "MS Shell Dlg", 8,
     kFormControls},
    {IDD_PICTURE, DS_MODALFRAME | WS_POPUP | WS_CAPTION, "Picture", 200, 80, "MS Shell Dlg", 8,
     kPictureControls},
};
constexpr UINT IDR_MORE = 201;
constexpr UINT ID_MORE = 302;
constexpr MenuItemTemplate kPopupItems[] = {{ID_OPEN, "Open"}, {0, nullptr}, {ID_EXIT, "Exit"}};
constexpr MenuItemTemplate kMoreItems[] = {{ID_OPEN, "Open"}, {ID_MORE, "More"}, {ID_EXIT, "Exit"}};
constexpr MenuTemplate kMenus[] = {{IDR_POPUP, "Popup", kPopupItems},
                                   {IDR_MORE, "Popup", kMoreItems}};
constexpr ResourceTable kResources{.dialogs = kDialogs, .menus = kMenus, .mainWindowTitle = "main"};

// A dialog on the form template that only counts what reaches its handlers.
class CountingDialog : public CDialog {
 public:
  CountingDialog() : CDialog(IDD_FORM) {}
  CButton m_alert;
  CEdit m_price;
  int clicks = 0;
  int changes = 0;
  std::vector<std::string> changedTexts;
  int exchanges = 0;

 protected:
  void DoDataExchange(CDataExchange* pDX) override {
    DDX_Control(pDX, IDC_ALERT, m_alert);
    DDX_Control(pDX, IDC_PRICE, m_price);
    ++exchanges;
  }
  const MessageMap* GetMessageMap() const override {
    static const MessageMapEntry entries[] = {
        OnBnClicked(IDC_ALERT, &CountingDialog::OnAlert),
        OnEnChange(IDC_PRICE, &CountingDialog::OnPrice),
    };
    static const MessageMap map{CDialog::GetMessageMap(), entries};
    return &map;
  }

 private:
  void OnAlert() { ++clicks; }
  void OnPrice() {
    ++changes;
    std::string text;
    m_price.GetWindowText(text);
    changedTexts.push_back(text);
  }
};

class FrameworkTest : public ::testing::Test {
 protected:
  FrameworkTest() { RegisterResources(kResources); }
  HeadlessBackend& ui = ui::headless::InstallHeadlessBackend();
  CWinApp app;
};

TEST_F(FrameworkTest, SettingControlsRaisesTheNotificationsWindowsRaises) {
  CountingDialog dialog;
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    dialog.m_alert.SetCheck(BST_CHECKED);  // no click
    EXPECT_TRUE(d.IsChecked(IDC_ALERT));
    EXPECT_EQ(dialog.m_alert.GetCheck(), BST_CHECKED);
    dialog.m_price.SetWindowText("12");
    dialog.m_price.SetWindowText("12");  // unchanged, still a change notification
    d.Click(IDC_ALERT);                  // the user's click: toggles, then notifies
    d.Type(IDC_PRICE, "3");
    d.PressEnter();
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  EXPECT_EQ(dialog.clicks, 1);
  EXPECT_EQ(dialog.changedTexts, (std::vector<std::string>{"12", "12", "123"}));
  EXPECT_EQ(dialog.exchanges, 2);             // opening, then OK
  EXPECT_EQ(dialog.m_alert.m_hWnd, nullptr);  // unbound once the window is gone
  EXPECT_EQ(dialog.m_alert.GetCheck(), 0);    // and a control without a window does nothing
}

TEST_F(FrameworkTest, EscAndTheCloseBoxCancelWithoutAnExchangeAndEachShowingStartsFresh) {
  CountingDialog dialog;
  ui.ScriptNextDialog([](HeadlessDialog& d) {
    d.Click(IDC_ALERT);
    d.PressEsc();
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  ui.ScriptNextDialog([](HeadlessDialog& d) {
    EXPECT_FALSE(d.IsChecked(IDC_ALERT));
    EXPECT_FALSE(d.IsControlVisible(IDCANCEL));
    d.Click(IDCANCEL);  // hidden: no click reaches it
    d.PressCloseBox();
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
  EXPECT_EQ(dialog.exchanges, 2);  // one opening exchange per showing, none at closing
}

TEST_F(FrameworkTest, AnotherThreadsSendMessageIsServedByTheModalLoopAndWaitsForIt) {
  CountingDialog dialog;
  std::thread worker;
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    d.Click(IDC_ALERT);
    worker = std::thread([&] {
      EXPECT_EQ(dialog.m_alert.SendMessage(BM_GETCHECK), BST_CHECKED);
      dialog.m_alert.SendMessage(BM_SETCHECK, BST_UNCHECKED, 0);
      // Synchronous: the state is already changed when the call returns.
      EXPECT_EQ(dialog.m_alert.SendMessage(BM_GETCHECK), BST_UNCHECKED);
      ui.Post([&] { d.PressEnter(); });
    });
  });
  EXPECT_EQ(dialog.DoModal(), IDOK);
  worker.join();
  EXPECT_EQ(dialog.clicks, 1);  // the user's, not the worker's

  // With no window, the call returns at once without effect.
  std::thread late([&] { EXPECT_EQ(dialog.m_alert.SendMessage(BM_SETCHECK, BST_CHECKED), 0); });
  late.join();
}

TEST_F(FrameworkTest, MessageBoxesCarryTheAppNameAndBlockTheirCallerUntilDismissed) {
  EXPECT_EQ(AfxGetAppName(), "ui_framework_test");  // the executable's name at first
  app.SetAppName("Kobanu");
  ui.SetBoxPolicy(HeadlessBackend::BoxPolicy::Hold);
  std::atomic<bool> returned{false};
  std::thread worker([&] {
    AfxMessageBox("from the worker");
    returned = true;
  });
  ASSERT_TRUE(ui.PumpUntil([&] { return ui.OpenBoxes() == 1; }));
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  EXPECT_FALSE(returned);
  ui.DismissBox();
  worker.join();

  // On the UI thread the box runs its own loop; here a helper thread dismisses it.
  std::thread dismisser([&] {
    while (ui.OpenBoxes() == 0) std::this_thread::yield();
    ui.DismissBox();
  });
  EXPECT_EQ(AfxMessageBox("from the UI thread"), IDOK);
  dismisser.join();
  ASSERT_EQ(ui.MessageBoxes().size(), 2u);
  EXPECT_EQ(ui.MessageBoxes()[0].caption, "Kobanu");
  EXPECT_EQ(ui.MessageBoxTexts(),
            (std::vector<std::string>{"from the worker", "from the UI thread"}));
  // The window system places them apart: the worker's above everything, the other over its
  // dialog.
  EXPECT_EQ(ui.MessageBoxes()[0].origin, ui::BoxOrigin::Worker);
  EXPECT_EQ(ui.MessageBoxes()[1].origin, ui::BoxOrigin::UiThread);
}

// A window that quits the application when asked to close, as the main window does.
class MainWindow : public CWnd {
 public:
  int created = 0;
  int destroyed = 0;
  std::vector<UINT> seen;
  std::vector<WPARAM> commands;

 protected:
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    seen.push_back(message);
    if (message == WM_COMMAND) commands.push_back(wParam);
    if (message == WM_CREATE) ++created;
    return CWnd::DefWindowProc(message, wParam, lParam);
  }
  void PostNcDestroy() override { ++destroyed; }
};

TEST_F(FrameworkTest, DestroyingTheMainWindowEndsTheLoopAndEveryDialogInside) {
  auto* window = new MainWindow;
  app.m_pMainWnd = window;
  ASSERT_TRUE(
      window->CreateEx(0, AfxRegisterWndClass(3), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  EXPECT_EQ(window->created, 1);
  CountingDialog dialog;
  INT_PTR result = 0;
  ui.ScriptNextDialog([&](HeadlessDialog&) { window->PostMessage(WM_CLOSE); });
  ui.Post([&] { result = dialog.DoModal(); });
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(result, -1);
  EXPECT_EQ(window->destroyed, 1);
  EXPECT_EQ(window->m_hWnd, nullptr);
  EXPECT_EQ(window->PostMessage(WM_CLOSE), FALSE);
}

TEST_F(FrameworkTest, ACloseRequestFromOutsideReachesTheMainWindowAsWmClose) {
  auto* window = new MainWindow;
  app.m_pMainWnd = window;
  ASSERT_TRUE(
      window->CreateEx(0, AfxRegisterWndClass(3), "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  CountingDialog dialog;
  ui.ScriptNextDialog([&](HeadlessDialog&) {
    ui.RequestClose();
    ui.RequestClose();  // taskkill asks every window of the program; the second finds none
  });
  ui.Post([&] { dialog.DoModal(); });
  EXPECT_EQ(app.Run(), 0);
  EXPECT_EQ(window->destroyed, 1);
  EXPECT_EQ(std::count(window->seen.begin(), window->seen.end(), WM_CLOSE), 1);
}

TEST_F(FrameworkTest, TheTrayIconsEventsArePostedToItsWindowAndMenusPostTheirCommand) {
  MainWindow window;
  ASSERT_TRUE(window.CreateEx(0, "", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = window.m_hWnd;
  data.uFlags = NIF_MESSAGE | NIF_ICON | NIF_TIP;
  data.uCallbackMessage = WM_USER + 1;
  data.hIcon = IDR_ICON;
  std::strcpy(data.szTip, "tip");
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(ui.CurrentTrayIcon().tip, "tip");
  ui.PressTrayIcon(WM_LBUTTONDBLCLK);
  ui.ScriptMenus([](const MenuTemplate& menu, POINT) { return menu.items[2].command; });
  HMENU menu = LoadMenuA(IDR_POPUP);
  TrackPopupMenu(GetSubMenu(menu, 0), 0, 5, 6, 0, window.m_hWnd, nullptr);
  DestroyMenu(menu);
  ui.RestartTrayHost();
  ASSERT_TRUE(ui.PumpUntil([&] { return window.seen.size() >= 4; }));
  const std::vector<UINT> expected{WM_CREATE, WM_COMMAND, WM_USER + 1,
                                   RegisterWindowMessageA("TaskbarCreated")};
  EXPECT_EQ(window.seen, expected);
  EXPECT_EQ(RegisterWindowMessageA("TaskbarCreated"), RegisterWindowMessageA("TaskbarCreated"));
  EXPECT_GE(RegisterWindowMessageA("TaskbarCreated"), 0xC000u);

  ui.QueueTrayResults({ERROR_TIMEOUT});
  EXPECT_FALSE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(GetLastError(), ERROR_TIMEOUT);
  window.DestroyWindow();
}

// A tray host that draws the icon's menu itself gets the registered tray menu; only its items
// come back, and only to a window whose icon is in the tray.
TEST_F(FrameworkTest, ATrayHostsOwnMenuIsTheTrayMenuAndOnlyItsItemsComeBack) {
  RegisterResources(
      {.dialogs = kDialogs, .menus = kMenus, .mainWindowTitle = "main", .trayMenu = IDR_POPUP});
  MainWindow window;
  ASSERT_TRUE(window.CreateEx(0, "", "", WS_POPUP, 0, 0, 1, 1, nullptr, nullptr));
  // Runs what is queued for the UI thread, and what that queues in turn.
  const auto settle = [&] {
    for (int round = 0; round < 2; ++round) {
      bool reached = false;
      ui.Post([&] { reached = true; });
      ASSERT_TRUE(ui.PumpUntil([&] { return reached; }));
    }
  };
  const auto deliver = [&](UINT command) {
    ui.Post([command] { ui::DeliverTrayMenuCommand(command); });
    settle();
  };
  deliver(ID_OPEN);  // no icon yet
  NOTIFYICONDATAA data;
  data.cbSize = sizeof data;
  data.hWnd = window.m_hWnd;
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  data.uCallbackMessage = WM_USER + 1;
  data.hIcon = IDR_ICON;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(ui.CurrentTrayIcon().menu, FindMenuTemplate(IDR_POPUP));
  EXPECT_FALSE(ui.ChooseInHostMenu("Popup"));  // the title is no item
  ASSERT_TRUE(ui.ChooseInHostMenu("Exit"));
  settle();
  deliver(IDR_POPUP);  // no item's command
  deliver(0);          // the separator's
  deliver(ID_OPEN);
  deliver(ID_MORE);  // of another menu

  // The program offers another menu from its next change of the icon on; only that one's items
  // come back, until the icon goes.
  ui::SetTrayMenu(IDR_MORE);
  deliver(ID_MORE);  // not offered yet
  data.uFlags = NIF_TIP;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_MODIFY, &data));
  EXPECT_EQ(ui.CurrentTrayIcon().menu, FindMenuTemplate(IDR_MORE));
  ASSERT_TRUE(ui.ChooseInHostMenu("More"));
  settle();
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  deliver(ID_EXIT);
  data.uFlags = NIF_MESSAGE | NIF_ICON;
  ASSERT_TRUE(Shell_NotifyIconA(NIM_ADD, &data));
  EXPECT_EQ(ui.CurrentTrayIcon().menu, FindMenuTemplate(IDR_POPUP));
  ASSERT_TRUE(Shell_NotifyIconA(NIM_DELETE, &data));
  EXPECT_EQ(window.commands, (std::vector<WPARAM>{ID_EXIT, ID_OPEN, ID_MORE}));
  window.DestroyWindow();
}

// A dialog that draws its picture when asked, through the device context WM_DRAWITEM hands it.
class PictureDialog : public CDialog {
 public:
  PictureDialog() : CDialog(IDD_PICTURE) {}
  CWnd m_picture;
  std::vector<DRAWITEMSTRUCT> items;
  int dpi = 0;
  SIZE textSize{};

 protected:
  void DoDataExchange(CDataExchange* pDX) override { DDX_Control(pDX, IDC_PICTURE, m_picture); }
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override {
    if (message != WM_DRAWITEM) return CDialog::WindowProc(message, wParam, lParam);
    auto* item = reinterpret_cast<DRAWITEMSTRUCT*>(lParam);
    items.push_back(*item);
    CDC* dc = CDC::FromHandle(item->hDC);
    dpi = dc->GetDeviceCaps(LOGPIXELSY);
    dc->FillSolidRect(&item->rcItem, RGB(255, 255, 255));
    CPen thick(PS_SOLID, 3, RGB(0, 0, 255));
    CPen* original = dc->SelectObject(&thick);
    dc->MoveTo(1, 2);
    dc->LineTo(10, 2);
    dc->LineTo(10, 20);  // on from where the last line ended
    dc->SelectObject(original);
    dc->LineTo(0, 0);
    dc->SetTextColor(RGB(200, 0, 0));
    textSize = dc->GetTextExtent("9,800円");
    RECT box{0, 0, item->rcItem.right, 30};
    dc->DrawText("9,800円", &box, DT_RIGHT | DT_VCENTER);
    return TRUE;
  }
};

TEST_F(FrameworkTest, AnOwnerDrawnControlIsDrawnByItsDialogInThePixelsOfTheScreen) {
  using ui::headless::DrawOp;
  using Kind = DrawOp::Kind;
  PictureDialog dialog;
  ui.ScriptNextDialog([&](HeadlessDialog& d) {
    const std::vector<DrawOp> ops = d.Paint(IDC_PICTURE);
    ASSERT_EQ(dialog.items.size(), 1u);
    EXPECT_EQ(dialog.items[0].CtlID, static_cast<UINT>(IDC_PICTURE));
    EXPECT_EQ(dialog.items[0].CtlType, ODT_STATIC);
    EXPECT_EQ(dialog.items[0].hwndItem, dialog.m_picture.m_hWnd);
    EXPECT_EQ(dialog.items[0].rcItem.right, 150);  // 100 by 40 dialog units in a 6 by 13 font
    EXPECT_EQ(dialog.items[0].rcItem.bottom, 65);
    EXPECT_EQ(dialog.dpi, 96);
    EXPECT_EQ(dialog.textSize.cx, 6 * 5 + 12);
    ASSERT_EQ(ops.size(), 5u);
    EXPECT_EQ(ops[0].kind, Kind::kFill);
    EXPECT_EQ(ops[0].rect.right, 150);
    const auto line = [&](const DrawOp& op, POINT from, POINT to, int width, COLORREF color) {
      EXPECT_EQ(op.kind, Kind::kLine);
      EXPECT_EQ(op.from.x, from.x);
      EXPECT_EQ(op.from.y, from.y);
      EXPECT_EQ(op.to.x, to.x);
      EXPECT_EQ(op.to.y, to.y);
      EXPECT_EQ(op.width, width);
      EXPECT_EQ(op.color, color);
    };
    line(ops[1], {1, 2}, {10, 2}, 3, RGB(0, 0, 255));
    line(ops[2], {10, 2}, {10, 20}, 3, RGB(0, 0, 255));
    line(ops[3], {10, 20}, {0, 0}, 1, RGB(0, 0, 0));  // the first pen again
    EXPECT_EQ(ops[4].kind, Kind::kText);
    EXPECT_EQ(ops[4].text, "9,800円");
    EXPECT_EQ(ops[4].color, RGB(200, 0, 0));
    EXPECT_EQ(ops[4].format, DT_RIGHT | DT_VCENTER);
    dialog.m_picture.Invalidate();
    EXPECT_EQ(d.Invalidations(IDC_PICTURE), 1);

    // At 150 % the control has half as many pixels again, and the screen says so.
    ui.SetDpi(144);
    d.Paint(IDC_PICTURE);
    EXPECT_EQ(dialog.items[1].rcItem.right, 225);
    EXPECT_EQ(dialog.dpi, 144);
    EXPECT_EQ(dialog.textSize.cx, (6 * 5 + 12) * 3 / 2);
    d.PressEsc();
  });
  EXPECT_EQ(dialog.DoModal(), IDCANCEL);
}

TEST(DialogUnits, ConvertAsWindowsDoes) {
  EXPECT_EQ(AverageCharWidth(52 * 6), 6);
  EXPECT_EQ(AverageCharWidth(286), 6);  // 11 by 26: 5.5 rounds up
  EXPECT_EQ(AverageCharWidth(285), 5);
  const DialogBaseUnits units{6, 13};
  EXPECT_EQ(DialogUnitsToPixels(units, 271, 7, 39, 14), (PixelRect{407, 11, 59, 23}));
  EXPECT_EQ(DialogUnitsToPixels(units, 2, 4, 0, 1), (PixelRect{3, 7, 0, 2}));  // halves round up
}

TEST(DialogTemplates, AreFoundByIdInTheRegisteredResources) {
  RegisterResources({});
  EXPECT_EQ(FindDialogTemplate(IDD_FORM), nullptr);
  RegisterResources(kResources);
  EXPECT_EQ(FindDialogTemplate(IDD_FORM), &kDialogs[0]);
  EXPECT_EQ(FindMenuTemplate(IDR_POPUP), &kMenus[0]);
  EXPECT_EQ(FindDialogTemplate(IDR_POPUP), nullptr);
  EXPECT_EQ(FindMenuTemplate(IDD_FORM), nullptr);
}

TEST(DialogTemplates, EditsAreLabelledByTheNearestStaticTextToTheirLeftOnTheirRow) {
  const DialogTemplate& form = kDialogs[0];
  auto label = [&](int id) {
    for (const ControlTemplate& c : form.controls) {
      if (c.id == id) return std::string(LabelOf(form, c)->text);
    }
    return std::string();
  };
  EXPECT_EQ(label(IDC_NAME), "Name");
  EXPECT_EQ(label(IDC_PRICE), "Price");
}

}  // namespace
