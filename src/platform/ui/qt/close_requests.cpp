#include "platform/ui/qt/close_requests.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>

#include <QEvent>
#include <QGuiApplication>
#include <QSessionManager>
#include <QSocketNotifier>

#include "platform/ui/backend.h"

namespace ui::qt {

namespace {

// A signal handler may do next to nothing: it wakes the event loop through this pipe.
int wakeUp[2] = {-1, -1};

void OnSignal(int) {
  const int saved = errno;
  const char byte = 0;
  [[maybe_unused]] const ssize_t written = write(wakeUp[1], &byte, 1);
  errno = saved;
}

// The session manager's Die comes to the application as a quit, which would end the loops
// without the program's exit.
class QuitFilter : public QObject {
 public:
  using QObject::QObject;
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() != QEvent::Quit) return false;
    DeliverCloseRequest();
    return true;
  }
};

}  // namespace

void DeliverCloseRequestsFromOutside() {
  if (pipe2(wakeUp, O_CLOEXEC | O_NONBLOCK) == 0) {
    auto* notifier = new QSocketNotifier(wakeUp[0], QSocketNotifier::Read, qGuiApp);
    QObject::connect(notifier, &QSocketNotifier::activated, [] {
      char bytes[16];
      while (read(wakeUp[0], bytes, sizeof bytes) > 0) {
      }
      DeliverCloseRequest();
    });
    struct sigaction action {};
    action.sa_handler = OnSignal;
    action.sa_flags = SA_RESTART;
    sigemptyset(&action.sa_mask);
    for (const int signal : {SIGTERM, SIGHUP, SIGINT}) sigaction(signal, &action, nullptr);
  }
  // Asked to commit its data before the session ends, Kobanu has nothing to ask the user: it
  // saves and ends, as its exit command does.
  QObject::connect(qGuiApp, &QGuiApplication::commitDataRequest,
                   [](QSessionManager&) { DeliverCloseRequest(); });
  qGuiApp->installEventFilter(new QuitFilter(qGuiApp));
}

}  // namespace ui::qt
