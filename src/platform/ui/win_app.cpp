#include "platform/ui/win_app.h"

#include <algorithm>
#include <mutex>
#include <vector>

#include "base/no_destructor.h"
#include "platform/runtime/module_path.h"

namespace {

CWinApp* currentApp = nullptr;

// Read by worker threads for message-box captions, so never destroyed. Built on first use,
// as the application object is a static of another file. Empty: the executable's name.
std::mutex appNameMutex;
std::string& AppName() {
  static NoDestructor<std::string> name;
  return *name;
}

// The loops the UI thread runs, innermost last.
NoDestructor<std::vector<ui::EventLoop*>> runningLoops;
bool quitting = false;
int quitCode = 0;

std::string ExecutableBaseName() { return platform::SplitPath(platform::ExecutablePath()).name; }

}  // namespace

CWinApp::CWinApp() {
  currentApp = this;
  quitting = false;
  quitCode = 0;
  std::lock_guard lock(appNameMutex);
  AppName().clear();
}

CWinApp::~CWinApp() {
  delete m_pMainWnd;
  if (currentApp == this) currentApp = nullptr;
}

int CWinApp::Run() {
  const auto loop = ui::CurrentBackend().NewEventLoop();
  RunModalLoop(*loop);
  return quitCode;
}

void CWinApp::SetAppName(const char* name) {
  std::lock_guard lock(appNameMutex);
  AppName() = name;
}

CWinApp* AfxGetApp() { return currentApp; }

std::string AfxGetAppName() {
  std::lock_guard lock(appNameMutex);
  return AppName().empty() ? ExecutableBaseName() : AppName();
}

void AfxPostQuitMessage(int exitCode) {
  if (quitting) return;
  quitting = true;
  quitCode = exitCode;
  for (ui::EventLoop* loop : *runningLoops) loop->Exit(-1);
}

int RunModalLoop(ui::EventLoop& loop) {
  if (quitting) return -1;
  runningLoops->push_back(&loop);
  const int result = loop.Run();
  runningLoops->erase(std::find(runningLoops->begin(), runningLoops->end(), &loop));
  return result;
}

namespace ui {

void DeliverCloseRequest() {
  // Sent, not posted: at the session's end the process may be ended as soon as this returns.
  if (currentApp != nullptr && currentApp->m_pMainWnd != nullptr) {
    currentApp->m_pMainWnd->SendMessage(WM_CLOSE);
  }
  // Whatever the main window made of it, the program ends: a box or a dialog open over it runs
  // a loop of its own, which would otherwise hold the end until someone answers it.
  AfxPostQuitMessage(0);
}

}  // namespace ui

int AfxWinMain() {
  CWinApp* app = AfxGetApp();
  if (app == nullptr || !app->InitInstance()) return 1;
  return app->Run();
}
