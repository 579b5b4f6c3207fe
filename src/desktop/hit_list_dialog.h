#pragma once

#include <string>

#include "platform/ui/afxwin.h"

// The hit-list dialog: a fresh search each time it opens, up to 30 hits listed, a double-click
// opens a hit's page.
class CMainDlg : public CDialog {
 public:
  CMainDlg();
  ~CMainDlg() override;

  CListCtrl m_listHits;

  void InitHitColumns();
  void InsertHitRow(int row);

 protected:
  void DoDataExchange(CDataExchange* pDX) override;
  BOOL OnInitDialog() override;
  const MessageMap* GetMessageMap() const override;

 private:
  void OnNMDblclkHitlist(NMHDR* header, LRESULT* result);

  // Why the search with the IchibaItem/Search service failed, for the box that replaces the
  // list; empty when it did not.
  std::string searchFailure_;
};
