#include "desktop/price_history_dialog.h"

#include <string>
#include <string_view>

#include "platform/logfile/log_file.h"
#include "res/history_texts.h"
#include "res/resource.h"
#include "service/ichiba/ichiba_item_search.h"
#include "service/price_history.h"
#include "service/text_encoding.h"
#include "state/watch_state.h"

namespace {

bool RecordsPrices() { return SnapshotService().RecordsPrices(); }

void DrawChart(CDC& dc, const Chart& chart) {
  const int dpi = dc.GetDeviceCaps(LOGPIXELSY);
  for (const ChartFill& fill : chart.fills) dc.FillSolidRect(&fill.rect, ColorOf(fill.ink));
  for (const ChartStroke& stroke : chart.strokes) {
    CPen pen(PS_SOLID, WidthOf(stroke.ink, dpi), ColorOf(stroke.ink));
    CPen* previous = dc.SelectObject(&pen);
    dc.MoveTo(stroke.from.x, stroke.from.y);
    dc.LineTo(stroke.to.x, stroke.to.y);
    dc.SelectObject(previous);
  }
  for (const ChartText& text : chart.texts) {
    RECT box = text.box;
    dc.SetTextColor(ColorOf(text.ink));
    dc.DrawText(text.text, &box, text.format | DT_SINGLELINE | DT_NOPREFIX);
  }
}

}  // namespace

CPriceHistoryDialog::CPriceHistoryDialog() : CDialog(IDD_PRICE_HISTORY) {}

const MessageMap* CPriceHistoryDialog::GetMessageMap() const {
  static const MessageMapEntry entries[] = {
      OnBnClicked(IDC_HISTORY_WEEK, &CPriceHistoryDialog::OnBnClickedPeriod),
      OnBnClicked(IDC_HISTORY_MONTH, &CPriceHistoryDialog::OnBnClickedPeriod),
      OnBnClicked(IDC_HISTORY_YEAR, &CPriceHistoryDialog::OnBnClickedPeriod),
  };
  static const MessageMap map{CDialog::GetMessageMap(), entries};
  return &map;
}

void CPriceHistoryDialog::DoDataExchange(CDataExchange* pDX) {
  CDialog::DoDataExchange(pDX);
  DDX_Control(pDX, IDC_HISTORY_KEYWORD, m_staticKeyword);
  DDX_Control(pDX, IDC_HISTORY_WEEK, m_radioWeek);
  DDX_Control(pDX, IDC_HISTORY_MONTH, m_radioMonth);
  DDX_Control(pDX, IDC_HISTORY_YEAR, m_radioYear);
  DDX_Control(pDX, IDC_HISTORY_CHART, m_staticChart);
  DDX_Control(pDX, IDC_HISTORY_LAST, m_staticLast);
}

BOOL CPriceHistoryDialog::OnInitDialog() {
  CDialog::OnInitDialog();
  m_radioWeek.SetCheck(BST_CHECKED);
  ReadHistory();
  return TRUE;
}

// The rows of the keyword asked last: a keyword changed since then starts a chart of its own.
void CPriceHistoryDialog::ReadHistory() {
  std::vector<service::PriceRecord> all =
      service::ReadPriceHistory().value_or(std::vector<service::PriceRecord>());
  anyRows_ = !all.empty();
  const std::string keyword = anyRows_ ? all.back().keyword : std::string();
  rows_.clear();
  for (service::PriceRecord& row : all) {
    if (row.keyword == keyword) rows_.push_back(std::move(row));
  }
  ceiling_ = service::MaxPrice(SnapshotSettings().scanPrice);
  m_staticKeyword.SetWindowText(
      anyRows_ ? service::Utf8ToAnsiText(rows_.back().keyword + texts::kKeywordsCheapest).c_str()
               : "");
  const std::string last = anyRows_          ? DescribeRow(rows_.back())
                           : RecordsPrices() ? std::string()
                                             : std::string(texts::kHowToRecord);
  m_staticLast.SetWindowText(service::Utf8ToAnsiText(last).c_str());
  m_staticChart.Invalidate();
}

void CPriceHistoryDialog::OnBnClickedPeriod() {
  period_ = m_radioYear.GetCheck() != 0    ? ChartPeriod::kYear
            : m_radioMonth.GetCheck() != 0 ? ChartPeriod::kMonth
                                           : ChartPeriod::kWeek;
  ReadHistory();
}

LRESULT CPriceHistoryDialog::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message != WM_DRAWITEM) return CDialog::WindowProc(message, wParam, lParam);
  OnDrawItem(static_cast<int>(wParam), reinterpret_cast<DRAWITEMSTRUCT*>(lParam));
  return TRUE;
}

void CPriceHistoryDialog::OnDrawItem(int controlId, DRAWITEMSTRUCT* item) {
  if (controlId != IDC_HISTORY_CHART) return;
  CDC* dc = CDC::FromHandle(item->hDC);
  const ChartInput input{
      .rows = rows_,
      .now = service::MinutesOf(platform::LocalTimeText().substr(0, 16)).value_or(0),
      .period = period_,
      .ceiling = ceiling_,
      .size = {item->rcItem.right - item->rcItem.left, item->rcItem.bottom - item->rcItem.top},
      .dpi = dc->GetDeviceCaps(LOGPIXELSY),
      .textSize = [dc](const std::string& text) { return dc->GetTextExtent(text); }};
  DrawChart(*dc, LayOutChart(input, anyRows_ ? texts::kNoPricesInPeriod : texts::kNoHistory));
}
