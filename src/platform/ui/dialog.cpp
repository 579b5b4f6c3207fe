#include "platform/ui/dialog.h"

#include <vector>

#include "base/no_destructor.h"
#include "platform/ui/dc.h"
#include "platform/ui/win_app.h"
#include "platform/ui/window_registry.h"

namespace {

// The dialogs shown, innermost last: each one disables the one below it while it runs.
NoDestructor<std::vector<ui::NativeDialog*>> openDialogs;

}  // namespace

// Turns what the widgets report into the messages a dialog procedure gets.
class CDialog::Events : public ui::DialogEvents {
 public:
  explicit Events(CDialog& dialog) : dialog_(dialog) {}

  void OnControlNotify(int controlId, UINT code) override {
    const HWND control = ui::FindControl(dialog_.m_hWnd, controlId);
    if (code == NM_DBLCLK) {
      NMHDR header{.hwndFrom = control, .idFrom = static_cast<UINT_PTR>(controlId), .code = code};
      dialog_.SendMessage(WM_NOTIFY, controlId, reinterpret_cast<LPARAM>(&header));
    } else {
      dialog_.SendMessage(WM_COMMAND, MAKEWPARAM(controlId, code),
                          reinterpret_cast<LPARAM>(control));
    }
  }

  void OnCloseRequest() override { dialog_.SendMessage(WM_COMMAND, IDCANCEL); }

  void OnDrawItem(int controlId, ui::Painter& painter) override {
    HDC__ context{CDC(painter)};
    DRAWITEMSTRUCT item{.CtlType = ODT_STATIC,
                        .CtlID = static_cast<UINT>(controlId),
                        .hwndItem = ui::FindControl(dialog_.m_hWnd, controlId),
                        .hDC = &context,
                        .rcItem = {0, 0, painter.Size().cx, painter.Size().cy}};
    dialog_.SendMessage(WM_DRAWITEM, static_cast<WPARAM>(controlId),
                        reinterpret_cast<LPARAM>(&item));
  }

 private:
  CDialog& dialog_;
};

namespace ui {

void EnableTopDialog(bool enabled) {
  if (!openDialogs->empty()) openDialogs->back()->SetEnabled(enabled);
}

}  // namespace ui

void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control) {
  const HWND handle = ui::FindControl(pDX->m_pDlgWnd->m_hWnd, controlId);
  if (handle != nullptr) ui::AttachObject(handle, control);
}

CDialog::CDialog(UINT templateId, CWnd*) : templateId_(templateId) {}

CDialog::~CDialog() = default;

INT_PTR CDialog::DoModal() {
  const DialogTemplate* dialogTemplate = FindDialogTemplate(templateId_);
  if (dialogTemplate == nullptr || m_hWnd != nullptr) return -1;
  Events events(*this);
  std::unique_ptr<ui::NativeDialog> native =
      ui::CurrentBackend().CreateDialog(*dialogTemplate, events);
  const HWND self = ui::RegisterWindow({.object = this, .dialog = native.get()});
  for (const ControlTemplate& control : dialogTemplate->controls) {
    if (control.id < 0) continue;  // labels and frames take no messages
    ui::RegisterWindow({.dialog = native.get(), .parent = self, .controlId = control.id});
  }
  ui::EnableTopDialog(false);
  openDialogs->push_back(native.get());

  ended_ = false;
  result_ = -1;
  loop_ = ui::CurrentBackend().NewEventLoop();
  OnInitDialog();
  if (!ended_) {
    native->Show();
    RunModalLoop(*loop_);
  }

  openDialogs->pop_back();
  ui::EnableTopDialog(true);
  ui::UnregisterChildren(self);
  ui::UnregisterWindow(self);
  loop_.reset();
  return result_;
}

void CDialog::EndDialog(int result) {
  result_ = result;
  ended_ = true;
  if (loop_) loop_->Exit(result);
}

BOOL CDialog::UpdateData(BOOL saveAndValidate) {
  CDataExchange exchange{saveAndValidate, this};
  DoDataExchange(&exchange);
  return TRUE;
}

BOOL CDialog::OnInitDialog() {
  UpdateData(FALSE);
  return TRUE;
}

void CDialog::OnOK() {
  if (UpdateData(TRUE)) EndDialog(IDOK);
}

void CDialog::OnCancel() { EndDialog(IDCANCEL); }

const MessageMap* CDialog::GetMessageMap() const {
  static const MessageMapEntry entries[] = {OnCommand(IDOK, &CDialog::OnOK),
                                            OnCommand(IDCANCEL, &CDialog::OnCancel)};
  static const MessageMap map{nullptr, entries};
  return &map;
}

// As the dialog manager does: WM_CLOSE (a close request from outside, when the dialog is the
// application's main window) is the Cancel command.
LRESULT CDialog::DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_CLOSE) return CWnd::DefWindowProc(message, wParam, lParam);
  SendMessage(WM_COMMAND, IDCANCEL);
  return 0;
}
