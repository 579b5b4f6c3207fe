#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "desktop/price_chart.h"
#include "platform/ui/afxwin.h"
#include "service/price_record.h"

// The price history's window (価格の推移): the keyword's cheapest price over the last 7 days, 30
// days or a year, with the price ceiling and the hours whose question failed, and the last row in
// words. It reads the history as it opens and again at each choice of period.
class CPriceHistoryDialog : public CDialog {
 public:
  CPriceHistoryDialog();

  CWnd m_staticKeyword;
  CButton m_radioWeek;
  CButton m_radioMonth;
  CButton m_radioYear;
  CWnd m_staticChart;
  CWnd m_staticLast;

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  const MessageMap* GetMessageMap() const override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  void ReadHistory();
  void OnBnClickedPeriod();
  void OnDrawItem(int controlId, DRAWITEMSTRUCT* item);

  ChartPeriod period_ = ChartPeriod::kWeek;
  std::vector<service::PriceRecord> rows_;  // of the keyword of the last row
  bool anyRows_ = false;                    // whether the history holds a row at all
  std::optional<int64_t> ceiling_;
};
