#pragma once

#include <memory>

#include "platform/ui/afxwin.h"
#include "state/service_settings.h"

// The service window: the [SERVICE] values of setting.ini in a form, a test of them as they stand
// on the screen, and OK, which saves them (キャンセル, Esc and the close box save nothing).
class CServiceDialog : public CDialog {
 public:
  CServiceDialog();

  CEdit m_editApplicationId;
  CEdit m_editAccessKey;
  CButton m_checkShowKey;
  CEdit m_editMinPrice;
  CEdit m_editNgKeyword;
  CButton m_checkPostageIncluded;
  CEdit m_editAffiliateId;
  CEdit m_editReferer;
  CEdit m_editEndpoint;
  CWnd m_staticDefaultEndpoint;
  CButton m_buttonTest;
  CEdit m_editTestResult;
  CButton m_checkPriceHistory;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  const MessageMap* GetMessageMap() const override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;
  void OnOK() override;

 private:
  struct TestRun;
  ServiceSettings OnScreen();
  void OnBnClickedShowKey();
  void OnBnClickedTestService();
  void OnTestDone();

  ServiceSettings loaded_;  // as the window opened: LOG stays as the file has it
  // The test that runs now, shared with the thread that makes it; null when none runs.
  std::shared_ptr<TestRun> test_;
};
