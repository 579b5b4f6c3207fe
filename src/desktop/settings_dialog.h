#pragma once

#include "platform/ui/afxwin.h"

// The settings dialog: every change in a control goes straight into watchState.settings.
class CTestDialog : public CDialog {
 public:
  CTestDialog();

  INT_PTR DoModal() override;

  CEdit m_editKeyword;
  CButton m_checkAlert;
  CButton m_checkZaiko;
  CEdit m_editPrice;
  CButton m_checkTimesale;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  const MessageMap* GetMessageMap() const override;

 private:
  void OnBnClickedWebservice();
  void OnBnClickedShowHits();
  void OnBnClickedAlert();
  void OnEnChangeKeyword();
  void OnBnClickedZaiko();
  void OnBnClickedJumpIchiba();
  void OnEnChangePrice();
  void OnBnClickedTimesale();
  void OnBnClickedJumpTimesale();
  void OnBnClickedOk();
};

// The one settings dialog of the process. It is never destroyed: the worker may untick its
// alert box at any time until the process ends.
extern CTestDialog& settingsDialog;

// Shows settingsDialog modally as the tray command does: settingsDialogOpen is set while it is
// shown, and the exchange toggle is cleared after it closed, whichever way. Returns how it ended.
INT_PTR ShowSettingsDialog();

// The pages the dialog's three link buttons open.
inline constexpr const char* kWebServiceAddress = "https://webservice.rakuten.co.jp/";
inline constexpr const char* kIchibaAddress =
    "https://hb.afl.rakuten.co.jp/hgc/1a2b3c4d.5e6f7a8b.1a2b3c4e.9c8d7e6f/"
    "?pc=https%3A%2F%2Fwww.rakuten.co.jp%2F&m=https%3A%2F%2Fm.rakuten.co.jp%2F";
inline constexpr const char* kTimeSaleAddress =
    "https://hb.afl.rakuten.co.jp/hgc/1a2b3c4d.5e6f7a8b.1a2b3c4e.9c8d7e6f/"
    "?pc=https%3A%2F%2Fevent.rakuten.co.jp%2Ftimesale%2F&m=https%3A%2F%2Fm.rakuten.co.jp%2F";
