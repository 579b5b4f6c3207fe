#include "desktop/service_dialog.h"

#include <string>
#include <string_view>
#include <thread>
#include <utility>

#include "base/visible_text.h"
#include "res/resource.h"
#include "res/service_texts.h"
#include "service/check_log.h"
#include "service/outcome_text.h"
#include "service/text_encoding.h"
#include "settings/first_line.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"
#include "worker/check_now.h"

namespace {

// Posted by the thread of a test once its outcome is there.
constexpr UINT kTestDoneMessage = WM_APP + 1;

constexpr char kKeyMask = '*';

// What the user means by a value: its first line without the blanks around it, as setting.ini
// reads it back.
std::string Field(const CEdit& edit) {
  std::string text;
  edit.GetWindowText(text);
  std::string_view value = settings::FirstLine(text);
  const size_t start = value.find_first_not_of(" \t");
  if (start == std::string_view::npos) return "";
  value = value.substr(start, value.find_last_not_of(" \t") + 1 - start);
  return std::string(value);
}

// The outcome as the result box shows it: the short verdict, and what failed, why and what to
// do. Code page 932, with the key masked wherever the service's words may have quoted it.
std::string ResultText(const service::CheckOutcome& outcome, const std::string& key) {
  std::string text = service::UserText(outcome, "\r\n");
  if (outcome.Answered()) {
    text = texts::kServiceAnswered + text;
  } else if (!outcome.failure) {
    // What the cycle would refuse, in its own words.
    text += "\r\n" + VisibleText(service::TextOf(outcome).log);
  }
  return service::Utf8ToAnsiText(service::MaskSecrets(text, key));
}

}  // namespace

// What one test found. Its thread writes the text before it posts kTestDoneMessage; the window
// reads it when the message comes.
struct CServiceDialog::TestRun {
  std::string resultText;
};

CServiceDialog::CServiceDialog() : CDialog(IDD_SERVICE) {}

const MessageMap* CServiceDialog::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnBnClicked(IDC_SHOW_KEY, &CServiceDialog::OnBnClickedShowKey),
      OnBnClicked(IDC_TEST_SERVICE, &CServiceDialog::OnBnClickedTestService),
  };
  static const MessageMap map{CDialog::GetMessageMap(), entries};
  return &map;
}

void CServiceDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_APPLICATION_ID, m_editApplicationId);
  DDX_Control(pDX, IDC_ACCESS_KEY, m_editAccessKey);
  DDX_Control(pDX, IDC_SHOW_KEY, m_checkShowKey);
  DDX_Control(pDX, IDC_MIN_PRICE, m_editMinPrice);
  DDX_Control(pDX, IDC_NG_KEYWORD, m_editNgKeyword);
  DDX_Control(pDX, IDC_POSTAGE_INCLUDED, m_checkPostageIncluded);
  DDX_Control(pDX, IDC_AFFILIATE_ID, m_editAffiliateId);
  DDX_Control(pDX, IDC_REFERER, m_editReferer);
  DDX_Control(pDX, IDC_ENDPOINT, m_editEndpoint);
  DDX_Control(pDX, IDC_DEFAULT_ENDPOINT, m_staticDefaultEndpoint);
  DDX_Control(pDX, IDC_TEST_SERVICE, m_buttonTest);
  DDX_Control(pDX, IDC_TEST_RESULT, m_editTestResult);
  DDX_Control(pDX, IDC_PRICE_HISTORY, m_checkPriceHistory);
  if (pDX->m_bSaveAndValidate) return;  // OnOK takes the values itself
  loaded_ = SnapshotService();
  m_editApplicationId.SetWindowText(loaded_.applicationId.c_str());
  m_editAccessKey.SetWindowText(loaded_.accessKey.c_str());
  m_editMinPrice.SetWindowText(loaded_.minPrice.c_str());
  m_editNgKeyword.SetWindowText(loaded_.ngKeyword.c_str());
  m_checkPostageIncluded.SetCheck(loaded_.postageIncluded ? BST_CHECKED : BST_UNCHECKED);
  m_editAffiliateId.SetWindowText(loaded_.affiliateId.c_str());
  m_editReferer.SetWindowText(loaded_.referer.c_str());
  m_editEndpoint.SetWindowText(loaded_.endpoint.c_str());
  m_staticDefaultEndpoint.SetWindowText(kItemSearchEndpoint);
  m_checkPriceHistory.SetCheck(loaded_.priceHistory ? BST_CHECKED : BST_UNCHECKED);
}

LRESULT CServiceDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != kTestDoneMessage) return CDialog::WindowProc(message, wParam, lParam);
  OnTestDone();
  return 0;
}

ServiceSettings CServiceDialog::OnScreen() {
  ServiceSettings service = loaded_;
  service.applicationId = Field(m_editApplicationId);
  service.accessKey = Field(m_editAccessKey);
  service.minPrice = Field(m_editMinPrice);
  service.ngKeyword = Field(m_editNgKeyword);
  service.postageIncluded = m_checkPostageIncluded.GetCheck() != 0;
  service.affiliateId = Field(m_editAffiliateId);
  service.referer = Field(m_editReferer);
  service.endpoint = Field(m_editEndpoint);
  service.priceHistory = m_checkPriceHistory.GetCheck() != 0;
  return service;
}

void CServiceDialog::OnBnClickedShowKey() {
  m_editAccessKey.SetPasswordChar(m_checkShowKey.GetCheck() != 0 ? '\0' : kKeyMask);
}

// The check may take as long as the HTTP limits allow, so it runs on a thread of its own and the
// window stays usable. The thread works on copies, and the window may be gone when it ends: its
// message then reaches no window, as a window handle is never reused.
void CServiceDialog::OnBnClickedTestService() {
  // The keyword and price as the running Kobanu last saved them.
  LoadSettings();
  auto run = std::make_shared<TestRun>();
  test_ = run;
  m_buttonTest.EnableWindow(FALSE);
  m_editTestResult.SetWindowText(service::Utf8ToAnsiText(texts::kServiceTesting).c_str());
  std::thread([run, settings = SnapshotSettings(), service = OnScreen(), window = HWND(m_hWnd)] {
    run->resultText = ResultText(worker::CheckNow(settings, service), service.accessKey);
    PostMessageA(window, kTestDoneMessage, 0, 0);
  }).detach();
}

void CServiceDialog::OnTestDone() {
  const std::shared_ptr<TestRun> run = std::exchange(test_, nullptr);
  if (run == nullptr) return;
  m_editTestResult.SetWindowText(run->resultText.c_str());
  m_buttonTest.EnableWindow(TRUE);
}

// The file is written before the window ends: when it cannot be, the window stays open with the
// values, so that nothing typed is lost.
void CServiceDialog::OnOK() {
  if (!settings::SaveServiceSettings(OnScreen())) {
    AfxMessageBox(texts::kServiceSaveFailed);
    return;
  }
  CDialog::OnOK();
}
