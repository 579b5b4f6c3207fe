#include "desktop/hit_list_dialog.h"

#include <algorithm>
#include <cassert>
#include <string>

#include "platform/ui/shell_open.h"
#include "res/resource.h"
#include "res/shell_texts.h"
#include "service/check_log.h"
#include "service/described/clear_hit_table.h"
#include "service/outcome_text.h"
#include "service/router/service_requests.h"
#include "settings/settings_file.h"
#include "state/watch_state.h"

namespace {

struct HitColumn {
  const char* title;
  int width;
};

constexpr HitColumn kHitColumns[] = {
    {texts::kColumnTitle, 240}, {texts::kColumnPrice, 50},    {texts::kColumnPointRate, 70},
    {texts::kColumnShop, 80},   {texts::kColumnItemCode, 60}, {texts::kColumnIndex, 30},
};

}  // namespace

CMainDlg::CMainDlg() : CDialog(IDD_HITLIST) {}

CMainDlg::~CMainDlg() { watchState.hitListPrimed = 0; }

const MessageMap* CMainDlg::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnNotify(NM_DBLCLK, IDC_HITLIST, &CMainDlg::OnNMDblclkHitlist),
  };
  static const MessageMap map{CDialog::GetMessageMap(), entries};
  return &map;
}

// The opening exchange searches and fills the list before the dialog is first shown; the one
// from OnOK only resets the toggles.
void CMainDlg::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_HITLIST, m_listHits);
  watchState.hitListFilled = 0;
  const int32_t wasPrimed = watchState.hitListPrimed;
  watchState.hitListPrimed = wasPrimed == 0 ? 1 : 0;
  if (wasPrimed != 0) return;
  InitHitColumns();
  ClearHitTable();
  settings::LoadServiceSettings();  // as the service window last saved them
  const ServiceSettings service = SnapshotService();
  const service::CheckOutcome searched = service::HitListCheck(SnapshotSettings(), service);
  searchFailure_ = service.Enabled() && searched.failure ? service::UserText(searched) : "";
  // The table has MaxHits rows; a larger count must not read past it.
  const int rows = std::min(watchState.hitListRows, MaxHits);
  // Each row goes in at the top, so the list ends in table order: position = table row.
  for (int row = rows - 1; row >= 0; --row) {
    watchState.hitListFilled = 1;
    InsertHitRow(row);
  }
}

// With the IchibaItem/Search service, a search that failed says why instead of opening an empty
// list.
BOOL CMainDlg::OnInitDialog() {
  CDialog::OnInitDialog();
  if (!searchFailure_.empty()) {
    const std::string text = std::string(texts::kHitListFailed) + "\n\n" + searchFailure_;
    AfxMessageBox(text.c_str());
    EndDialog(IDCANCEL);
  }
  return TRUE;
}

void CMainDlg::InitHitColumns() {
  for (int i = 0; i < static_cast<int>(std::size(kHitColumns)); ++i) {
    LVCOLUMN column;
    column.mask = LVCF_WIDTH | LVCF_TEXT | LVCF_SUBITEM;
    column.cx = kHitColumns[i].width;
    column.pszText = kHitColumns[i].title;
    column.iSubItem = i;
    if (m_listHits.InsertColumn(i, &column) == -1) break;
  }
  m_listHits.SetExtendedStyle(m_listHits.GetExtendedStyle() | LVS_EX_GRIDLINES |
                              LVS_EX_FULLROWSELECT);
}

void CMainDlg::InsertHitRow(int row) {
  assert(row >= 0 && row < MaxHits && "a row of the hit table");
  const HitTable& table = watchState.hitTable;
  const auto r = static_cast<size_t>(row);
  LVITEM item;
  item.mask = LVIF_TEXT;
  item.iItem = 0;
  item.pszText = table.itemName[r].c_str();
  const int index = m_listHits.InsertItem(&item);
  if (index == -1) return;
  const std::string* subItems[] = {&table.itemPrice[r], &table.pointRate[r], &table.shopName[r],
                                   &table.itemCode[r]};
  for (int sub = 1; sub <= 4; ++sub) {
    if (!m_listHits.SetItemText(index, sub, subItems[sub - 1]->c_str())) return;
  }
  m_listHits.SetItemText(index, 5, table.rowIndex[r].c_str());
}

void CMainDlg::OnNMDblclkHitlist(NMHDR*, LRESULT* result) {
  *result = 0;
  if (watchState.hitListFilled == 0) return;
  for (int item = m_listHits.GetNextItem(-1, LVNI_SELECTED); item != -1;
       item = m_listHits.GetNextItem(item, LVNI_SELECTED)) {
    watchState.hitListSelectedRow = item;
  }
  // Only web addresses reach the browser: the address came from the network.
  platform::OpenWebAddress(
      watchState.hitTable.affiliateUrl[static_cast<size_t>(watchState.hitListSelectedRow)]);
}
