#pragma once

#include <QButtonGroup>
#include <QDialog>
#include <QPointer>
#include <QTableWidget>
#include <QWindow>
#include <map>
#include <memory>

#include "platform/ui/backend.h"

namespace ui::qt {

// The property each control widget carries with its template id.
inline constexpr const char* kControlIdProperty = "controlId";

// Makes boxes take the focus back from their dialog as on Wayland, by being shown anew, whatever
// the platform, for tests; returns the setting it replaces.
bool ShowBoxesAnewForTesting(bool anew);

// Esc and the close box go to the framework, which decides when the dialog ends.
class DialogWindow : public QDialog {
 public:
  explicit DialogWindow(DialogEvents& events) : events_(events) {}
  void reject() override { events_.OnCloseRequest(); }

 protected:
  bool event(QEvent* event) override;

 private:
  DialogEvents& events_;
};

// One showing of a dialog: widgets built from the template, placed in dialog units.
class QtDialog : public NativeDialog {
 public:
  QtDialog(const DialogTemplate& dialog, DialogEvents& events);
  ~QtDialog() override;

  void Show() override;
  void SetEnabled(bool enabled) override;
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
  QWidget* Build(const ControlTemplate& control);
  QWidget* BuildMultiLineEdit(const ControlTemplate& control);
  QTableWidget* List(int controlId);

  DialogEvents& events_;
  std::unique_ptr<DialogWindow> window_;
  std::map<int, QWidget*> controls_;
  std::map<int, DWORD> extendedStyles_;
  QWidget* firstFocus_ = nullptr;
  QButtonGroup* radioGroup_ = nullptr;  // the group the next radio button joins
  QPointer<QWidget> focusBeforeDisabled_;
};

// The innermost dialog on the screen now, or null: what a box or dialog raised from it belongs
// to.
QWindow* InnermostShownDialog();

// Makes a window belong to another (WM_TRANSIENT_FOR on X11, the parent of a Wayland
// toplevel), so that every window manager keeps it above that one and centres it there.
void MakeTransientFor(QWidget& window, QWindow* owner);

}  // namespace ui::qt
