#include "desktop/settings_dialog.h"

#include <string>

#include "base/no_destructor.h"
#include "desktop/hit_list_dialog.h"
#include "platform/ui/shell_open.h"
#include "res/resource.h"
#include "res/shell_texts.h"
#include "settings/first_line.h"
#include "state/watch_state.h"
#include "worker/disarm_alert.h"
#include "worker/price_check.h"

namespace {

NoDestructor<CTestDialog> settingsDialogStorage;

}  // namespace

CTestDialog& settingsDialog = *settingsDialogStorage;

CTestDialog::CTestDialog() : CDialog(IDD_SETTINGS) {}

INT_PTR ShowSettingsDialog() {
  watchState.settingsDialogOpen = 1;
  const INT_PTR result = settingsDialog.DoModal();
  watchState.settingsDialogOpen = 0;
  watchState.settingsDialogPrimed = 0;
  return result;
}

// The worker unticks the alert box through this registration while the dialog is shown.
INT_PTR CTestDialog::DoModal() {
  worker::RegisterAlertBox(&m_checkAlert);
  const INT_PTR result = CDialog::DoModal();
  worker::RegisterAlertBox(nullptr);
  return result;
}

const MessageMap* CTestDialog::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnBnClicked(IDC_WEBSERVICE, &CTestDialog::OnBnClickedWebservice),
      OnBnClicked(IDC_SHOW_HITS, &CTestDialog::OnBnClickedShowHits),
      OnBnClicked(IDC_ALERT, &CTestDialog::OnBnClickedAlert),
      OnEnChange(IDC_KEYWORD, &CTestDialog::OnEnChangeKeyword),
      OnBnClicked(IDC_ZAIKO, &CTestDialog::OnBnClickedZaiko),
      OnBnClicked(IDC_JUMP_ICHIBA, &CTestDialog::OnBnClickedJumpIchiba),
      OnEnChange(IDC_PRICE, &CTestDialog::OnEnChangePrice),
      OnBnClicked(IDC_TIMESALE, &CTestDialog::OnBnClickedTimesale),
      OnBnClicked(IDC_JUMP_TIMESALE, &CTestDialog::OnBnClickedJumpTimesale),
      OnBnClicked(IDOK, &CTestDialog::OnBnClickedOk),
  };
  static const MessageMap map{CDialog::GetMessageMap(), entries};
  return &map;
}

// The opening exchange fills the fresh controls; the next one (from OnOK) only clears the
// toggle, so closing never writes the controls back over what the worker may have changed.
void CTestDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_KEYWORD, m_editKeyword);
  DDX_Control(pDX, IDC_ALERT, m_checkAlert);
  DDX_Control(pDX, IDC_ZAIKO, m_checkZaiko);
  DDX_Control(pDX, IDC_PRICE, m_editPrice);
  DDX_Control(pDX, IDC_TIMESALE, m_checkTimesale);
  if (watchState.settingsDialogPrimed != 0) {
    watchState.settingsDialogPrimed = 0;
    return;
  }
  watchState.settingsDialogPrimed = 1;
  const WatchSettings& s = watchState.settings;
  if (s.scanFlag != 0) m_checkAlert.SetCheck(BST_CHECKED);
  if (s.scanZaiko != 0) m_checkZaiko.SetCheck(BST_CHECKED);
  if (s.scanTimesale != 0) m_checkTimesale.SetCheck(BST_CHECKED);
  m_editKeyword.SetWindowText(std::string(s.scanKeyword).c_str());
  m_editPrice.SetWindowText(std::string(s.scanPrice).c_str());
}

void CTestDialog::OnBnClickedWebservice() { platform::OpenWebAddress(kWebServiceAddress); }

void CTestDialog::OnBnClickedShowHits() {
  CMainDlg hitList;
  hitList.DoModal();
}

void CTestDialog::OnBnClickedAlert() {
  watchState.settings.scanFlag = m_checkAlert.GetCheck() != 0 ? 1 : 0;
}

// Changing the text notifies again, with the first line only.
void CTestDialog::OnEnChangeKeyword() {
  std::string keyword;
  m_editKeyword.GetWindowText(keyword);
  if (settings::FirstLine(keyword).size() != keyword.size()) {
    m_editKeyword.SetWindowText(std::string(settings::FirstLine(keyword)).c_str());
    return;
  }
  watchState.settings.scanKeyword = keyword;
}

void CTestDialog::OnBnClickedZaiko() {
  watchState.settings.scanZaiko = m_checkZaiko.GetCheck() != 0 ? 1 : 0;
}

void CTestDialog::OnBnClickedJumpIchiba() { platform::OpenWebAddress(kIchibaAddress); }

void CTestDialog::OnEnChangePrice() {
  std::string price;
  m_editPrice.GetWindowText(price);
  if (settings::FirstLine(price).size() != price.size()) {
    m_editPrice.SetWindowText(std::string(settings::FirstLine(price)).c_str());
    return;
  }
  switch (CheckPriceText(price)) {
    case PriceAcceptable:
      break;
    case PriceNegative:
      AfxMessageBox(texts::kPriceNegativeShort);
      break;
    case PriceNotNumber:
      AfxMessageBox(texts::kPriceNotNumberShort);
      break;
  }
  watchState.settings.scanPrice = price;
}

void CTestDialog::OnBnClickedTimesale() {
  watchState.settings.scanTimesale = m_checkTimesale.GetCheck() != 0 ? 1 : 0;
}

void CTestDialog::OnBnClickedJumpTimesale() { platform::OpenWebAddress(kTimeSaleAddress); }

void CTestDialog::OnBnClickedOk() { OnOK(); }
