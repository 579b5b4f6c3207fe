#pragma once

#include <memory>

#include "platform/ui/backend.h"
#include "platform/ui/wnd.h"

class CDialog;

struct CDataExchange {
  BOOL m_bSaveAndValidate;
  CDialog* m_pDlgWnd;
};

// Binds a control object to the control of that id in the exchanging dialog's current window.
void DDX_Control(CDataExchange* pDX, int controlId, CWnd& control);

// A modal dialog on a template of src/res. Each DoModal builds a fresh window from the template
// and destroys it when the dialog ends.
class CDialog : public CWnd {
 public:
  explicit CDialog(UINT templateId, CWnd* parent = nullptr);
  ~CDialog() override;

  // IDOK or IDCANCEL as the dialog ended; -1 when it could not be shown or the application quit.
  virtual INT_PTR DoModal();
  void EndDialog(int result);
  BOOL UpdateData(BOOL saveAndValidate = TRUE);

 protected:
  virtual BOOL OnInitDialog();  // the opening exchange
  virtual void OnOK();          // the second exchange, then IDOK
  virtual void OnCancel();      // IDCANCEL without an exchange; also Esc and the close box
  virtual void DoDataExchange(CDataExchange*) {}
  const MessageMap* GetMessageMap() const override;
  LRESULT DefWindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  class Events;
  UINT templateId_;
  std::unique_ptr<ui::EventLoop> loop_;
  bool ended_ = false;
  int result_ = -1;
};

namespace ui {
// The innermost open dialog takes no input while a box or dialog above it runs.
void EnableTopDialog(bool enabled);
}  // namespace ui
