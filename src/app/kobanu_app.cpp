#include "app/kobanu_app.h"

#include "app/tray_window.h"
#include "platform/ui/socket_init.h"
#include "res/shell_texts.h"

const MessageMap* CKobanuApp::GetMessageMap() const {
  static const MessageMapEntry entries[] = {OnCommand(ID_HELP, &CKobanuApp::OnHelp)};
  static const MessageMap map{nullptr, entries};
  return &map;
}

BOOL CKobanuApp::InitInstance() {
  INITCOMMONCONTROLSEX controls{.dwSize = sizeof controls, .dwICC = ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
  CWinApp::InitInstance();
  if (!AfxSocketInit()) {
    AfxMessageBox(texts::kSocketsInitFailed);
    return FALSE;
  }
  AfxEnableControlContainer();
  SetRegistryKey(texts::kRegistryKey);
  SetAppName(texts::kAppName);  // from here on the caption of every message box

  auto* window = new CMainWnd;
  m_pMainWnd = window;
  if (!window->CreateEx(0, AfxRegisterWndClass(CS_HREDRAW | CS_VREDRAW), texts::kMainWindowTitle,
                        WS_POPUP, 10, 10, 10, 10, nullptr, nullptr)) {
    // Without its window the program could show no icon and never end: stop here, no worker.
    return FALSE;
  }
  window->ShowWindow(SW_HIDE);
  window->RegisterTrayIcon();
  return TRUE;
}
