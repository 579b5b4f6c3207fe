#include "platform/ui/qt/start_application.h"

#include <cstdio>
#include <cstdlib>

#include <QApplication>

namespace ui::qt {

namespace {

bool IsSet(const char* value) { return value != nullptr && *value != '\0'; }

// Qt reports a platform plugin that cannot start as a fatal message, then aborts. Its warnings
// before that say the same at greater length, so they are left out.
void EndOnFatalMessage(QtMsgType type, const QMessageLogContext&, const QString&) {
  if (type != QtFatalMsg) return;
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
  const QtMessageHandler previous = qInstallMessageHandler(EndOnFatalMessage);
  auto* application = new QApplication(argc, argv);
  qInstallMessageHandler(previous);
  return application;
}

}  // namespace ui::qt
