#pragma once

#include <string>

#include "platform/ui/backend.h"
#include "platform/ui/wnd.h"

// The application object: start-up, the message loop and the application's name.
class CWinApp : public CCmdTarget {
 public:
  // The name starts as the executable's file name without its extension.
  CWinApp();
  ~CWinApp() override;
  CWinApp(const CWinApp&) = delete;
  CWinApp& operator=(const CWinApp&) = delete;

  virtual BOOL InitInstance() { return TRUE; }
  // Runs the message loop until the main window is destroyed; the code of the quit.
  virtual int Run();

  // The caption of every message box from now on.
  void SetAppName(const char* name);
  // The framework would keep its own profile data under this key; we keep none.
  void SetRegistryKey(const char*) {}
  HICON LoadIcon(UINT id) const { return id; }

  CWnd* m_pMainWnd = nullptr;  // owned; destroying its window ends the loop

 protected:
  void OnHelp() {}  // there is no help file
};

CWinApp* AfxGetApp();
std::string AfxGetAppName();  // any thread

// Ends the message loop and every modal loop inside it.
void AfxPostQuitMessage(int exitCode);
// Runs a loop of the UI thread; it ends at once when the application is quitting.
int RunModalLoop(ui::EventLoop& loop);

// InitInstance, then the message loop; 1 when start-up refused to go on.
int AfxWinMain();

// Start-up steps that have nothing to do here: the Qt widgets need no class registration and no
// control container.
struct INITCOMMONCONTROLSEX {
  DWORD dwSize;
  DWORD dwICC;
};
inline constexpr DWORD ICC_WIN95_CLASSES = 0xFF;
inline BOOL InitCommonControlsEx(const INITCOMMONCONTROLSEX*) { return TRUE; }
inline void AfxEnableControlContainer() {}
