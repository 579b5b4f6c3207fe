#include "platform/ui/qt/start_application.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

#include <QApplication>

namespace ui::qt {

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// The process's stderr while the platform starts, when stderr itself leads nowhere.
int realStderr = -1;

void RestoreStderr() {
  if (realStderr < 0) return;
  dup2(realStderr, STDERR_FILENO);
  close(realStderr);
  realStderr = -1;
}

// Qt reports a platform plugin that cannot start as a fatal message, then aborts. Its warnings
// before that say the same at greater length, so they are left out.
void EndOnFatalMessage(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg) return;
  RestoreStderr();
  const char* display = std::getenv("DISPLAY");
  const char* wayland = std::getenv("WAYLAND_DISPLAY");
  if (!IsSet(display) && !IsSet(wayland)) {
    std::fputs("kobanu: no display: neither DISPLAY nor WAYLAND_DISPLAY is set\n", stderr);
  } else {
    std::fprintf(stderr, "kobanu: cannot open the display \"%s\"\n",
                 IsSet(display) ? display : wayland);
  }
  std::_Exit(1);
}

}  // namespace

QApplication* StartApplication(int& argc, char** argv) {
  // Libraries below the platform plugins (libwayland, Mesa's EGL) write their complaints about a
  // display that cannot be reached straight to stderr, before ours.
  std::fflush(stderr);
  realStderr = fcntl(STDERR_FILENO, F_DUPFD_CLOEXEC, 0);
  const int nowhere = open("/dev/null", O_WRONLY | O_CLOEXEC);
  if (realStderr >= 0 && nowhere >= 0) dup2(nowhere, STDERR_FILENO);
  if (nowhere >= 0) close(nowhere);
  const QtMessageHandler previous = qInstallMessageHandler(EndOnFatalMessage);
  auto* application = new QApplication(argc, argv);
  qInstallMessageHandler(previous);
  RestoreStderr();
  return application;
}

}  // namespace ui::qt
