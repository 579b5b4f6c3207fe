#include "app/window_alone.h"

#include <memory>

#include "desktop/price_history_dialog.h"
#include "desktop/service_dialog.h"
#include "platform/ui/afxwin.h"
#include "platform/ui/desktop_backend.h"
#include "res/program_resources.h"
#include "res/shell_texts.h"
#include "settings/settings_file.h"

int RunWindowAlone(int& argc, char** argv, StartMode window) {
  RegisterResources(ProgramResources());
  ui::InstallDesktopBackend(argc, argv);
  LoadSettings();
  CWinApp* app = AfxGetApp();
  app->SetAppName(texts::kAppName);
  const std::unique_ptr<CDialog> dialog = window == StartMode::kPriceHistory
                                              ? std::unique_ptr<CDialog>(new CPriceHistoryDialog)
                                              : std::make_unique<CServiceDialog>();
  // The window is the application's main window, as in a dialog-based program: a close request
  // from outside (the session's end, SIGTERM) reaches it and cancels it.
  app->m_pMainWnd = dialog.get();
  const INT_PTR result = dialog->DoModal();
  app->m_pMainWnd = nullptr;
  return result == -1 ? 1 : 0;
}
