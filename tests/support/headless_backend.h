#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "platform/ui/backend.h"

// An in-memory window system for tests without a display: dialogs keep their controls' states,
// the UI thread's loops pump one task queue, and tests act as the user through the hooks below.
namespace ui::headless {

class HeadlessBackend;

struct ListColumn {
  std::string title;
  int width;
};

// One drawing call of an owner-drawn control's paint.
struct DrawOp {
  enum class Kind { kFill, kLine, kText };
  Kind kind;
  RECT rect{};   // a fill, or a text's box
  POINT from{};  // a line
  POINT to{};
  int width = 0;
  COLORREF color = 0;
  std::string text{};
  UINT format = 0;
};

// One showing of a dialog. Test hooks act like the user and are ignored on a disabled dialog
// or a hidden control; all run on the UI thread, normally from a dialog script.
class HeadlessDialog : public NativeDialog {
 public:
  HeadlessDialog(const DialogTemplate& dialog, DialogEvents& events, HeadlessBackend& backend);

  const DialogTemplate& Template() const { return template_; }
  bool IsEnabled() const { return enabled_; }

  // A check box toggles, a radio button is chosen in its group; then the click is reported.
  void Click(int controlId);
  void Type(int controlId, std::string_view text);   // one change per character (code page 932)
  void Paste(int controlId, std::string_view text);  // replaces the text with one change
  void DoubleClick(int controlId);                   // anywhere in the list
  void SelectItems(int controlId, const std::vector<int>& items);
  void PressEsc();
  void PressCloseBox();
  void PressEnter();  // the default button

  bool IsControlVisible(int controlId) const;
  bool IsControlEnabled(int controlId) const;
  bool IsMasked(int controlId) const;  // an edit that hides its text
  bool IsChecked(int controlId) const;
  std::string Text(int controlId) const;
  const std::vector<ListColumn>& Columns(int controlId) const;
  std::vector<std::vector<std::string>> Items(int controlId) const;
  // An owner-drawn control painted now, as the window system would: what it drew. Its size is its
  // template's in a font of 6 by 13 pixels at 96 DPI; text is 6 pixels a character wide, 12 for one
  // beyond ASCII.
  std::vector<DrawOp> Paint(int controlId);
  int Invalidations(int controlId) const;  // how often it was asked to be drawn again

  // NativeDialog
  void Show() override;
  void SetEnabled(bool enabled) override { enabled_ = enabled; }
  int GetCheck(int controlId) override;
  void SetCheck(int controlId, int state) override;
  std::string GetText(int controlId) override;
  void SetText(int controlId, const std::string& text) override;
  bool EnableControl(int controlId, bool enabled) override;
  void SetPasswordChar(int controlId, char mask) override;
  void Invalidate(int controlId) override;
  bool InsertColumn(int controlId, int column, const std::string& title, int width) override;
  int InsertItem(int controlId, int position, const std::string& text) override;
  bool SetItemText(int controlId, int item, int subItem, const std::string& text) override;
  DWORD GetExtendedStyle(int controlId) override;
  void SetExtendedStyle(int controlId, DWORD style) override;
  bool IsItemSelected(int controlId, int item) override;
  int ItemCount(int controlId) override;

 private:
  struct Row {
    std::vector<std::string> cells;
    bool selected = false;
  };
  struct Control {
    const ControlTemplate* source = nullptr;
    int check = 0;
    std::string text;
    std::vector<ListColumn> columns;
    std::vector<Row> rows;
    DWORD extendedStyle = 0;
    bool enabled = true;
    char mask = 0;
    int invalidations = 0;
  };
  Control& Find(int controlId);
  const Control& Find(int controlId) const;
  bool Accepts(int controlId) const;

  const DialogTemplate& template_;
  DialogEvents& events_;
  HeadlessBackend& backend_;
  std::vector<Control> controls_;
  bool enabled_ = true;
  friend class HeadlessBackend;
  // Scripts posted for this showing run only while it lasts.
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
};

struct MessageBoxRecord {
  std::string caption;
  std::string text;
  BoxOrigin origin;
};

struct TrackedMenu {
  UINT menuId;
  POINT at;
};

class HeadlessBackend : public Backend {
 public:
  enum class BoxPolicy { DismissAtOnce, Hold };
  using DialogScript = std::function<void(HeadlessDialog&)>;
  using MenuScript = std::function<UINT(const MenuTemplate&, POINT)>;

  // Forgets every state, log and script; the calling thread becomes the UI thread.
  void Reset();

  // Runs when the next dialog is shown, inside its modal loop. A dialog shown without a
  // script is closed with Esc.
  void ScriptNextDialog(DialogScript script);
  int UnscriptedDialogs() const;

  // Message boxes, from any thread.
  void SetBoxPolicy(BoxPolicy policy);
  std::vector<MessageBoxRecord> MessageBoxes() const;
  std::vector<std::string> MessageBoxTexts() const;
  int OpenBoxes() const;
  void DismissBox();  // the oldest open box; any thread

  std::vector<std::string> OpenedAddresses() const;

  // Tray: the results of the next adds and modifies (0 success, else the error).
  void QueueTrayResults(std::vector<DWORD> errors);
  bool TrayIconShown() const;
  TrayIcon CurrentTrayIcon() const;
  std::vector<std::string> TrayNotices() const;  // every notice shown, as "title: text"
  int TrayRequests() const;                      // adds and modifies
  // Any thread; queued for the UI thread's loop, as the shell would deliver them.
  void PressTrayIcon(UINT mouseMessage);
  // As a tray host that draws the icon's menu itself: the item of that text chosen there. False
  // when the icon is not shown or its menu holds no such item.
  bool ChooseInHostMenu(std::string_view text);
  void RestartTrayHost();               // the icon is lost and the host announces itself
  void RequestClose();                  // as taskkill without /F or the session's end
  void ScriptMenus(MenuScript script);  // by default every menu is dismissed
  std::vector<TrackedMenu> TrackedMenus() const;
  void SetCursorPos(POINT at);

  void FailWindowCreation(bool fail);
  // The screen's pixels per inch for the paints from now on: 96 at first.
  void SetDpi(int dpi);
  int Dpi() const;

  // Runs the UI thread's queue until the condition holds; false after the time-out.
  bool PumpUntil(const std::function<bool()>& condition,
                 std::chrono::milliseconds timeout = std::chrono::seconds(10));

  // Backend
  bool IsUiThread() const override;
  void Post(std::function<void()> task) override;
  std::unique_ptr<EventLoop> NewEventLoop() override;
  bool CreateInvisibleWindow() override;
  std::unique_ptr<NativeDialog> CreateDialog(const DialogTemplate& dialog,
                                             DialogEvents& events) override;
  void ShowMessageBox(const std::string& caption, const std::string& text, BoxOrigin origin,
                      std::function<void()> dismissed) override;
  bool AddTrayIcon(const TrayIcon& icon, DWORD& error) override;
  bool ModifyTrayIcon(const TrayIcon& icon, DWORD& error) override;
  bool DeleteTrayIcon() override;
  UINT TrackPopupMenu(const MenuTemplate& menu, POINT at) override;
  POINT CursorPos() override;
  bool OpenInBrowser(const std::string& address) override;

 private:
  friend class HeadlessDialog;
  friend class HeadlessLoop;
  void DialogShown(HeadlessDialog& dialog);
  // Runs one queued task; false when none came within the wait.
  bool RunOneTask(std::chrono::milliseconds wait);
  bool NextTrayResult(DWORD& error);
  void RunOnUiThread(std::function<void()> task);

  mutable std::mutex mutex_;
  std::condition_variable queueChanged_;
  std::deque<std::function<void()>> queue_;
  std::thread::id uiThread_;

  std::deque<DialogScript> dialogScripts_;
  int unscriptedDialogs_ = 0;

  BoxPolicy boxPolicy_ = BoxPolicy::DismissAtOnce;
  std::vector<MessageBoxRecord> boxes_;
  std::deque<std::function<void()>> openBoxes_;
  std::vector<std::string> openedAddresses_;

  std::deque<DWORD> trayResults_;
  bool trayShown_ = false;
  TrayIcon trayIcon_{};
  std::vector<std::string> trayNotices_;
  int trayRequests_ = 0;
  MenuScript menuScript_;
  std::vector<TrackedMenu> trackedMenus_;
  POINT cursor_{};
  bool failWindowCreation_ = false;
  int dpi_ = 96;
};

// Installs the headless backend once per process and resets it; the same object every time.
HeadlessBackend& InstallHeadlessBackend();

}  // namespace ui::headless
