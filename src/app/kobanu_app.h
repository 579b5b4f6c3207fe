#pragma once

#include "platform/ui/afxwin.h"

// The application: prepares the framework, names itself, creates the invisible main window and
// has it register the tray icon, which loads the settings and starts the worker.
class CKobanuApp : public CWinApp {
 public:
  BOOL InitInstance() override;

 protected:
  const MessageMap* GetMessageMap() const override;
};
