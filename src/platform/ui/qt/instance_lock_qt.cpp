#include <QLockFile>
#include <QStandardPaths>

#include "platform/ui/instance_lock.h"

namespace ui {

namespace {

QLockFile* lock = nullptr;  // held until the end; never destroyed while the worker may run

}  // namespace

bool ClaimInstanceLock(const std::string& settingsPath) {
  // Without XDG_RUNTIME_DIR Qt makes a private folder of its own and warns on stderr; a second
  // instance's one line should stay the only one.
  const QtMessageHandler previous =
      qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {});
  const QString folder = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
  qInstallMessageHandler(previous);
  if (folder.isEmpty()) return true;
  lock = new QLockFile(folder + "/" + QString::fromStdString(InstanceLockName(settingsPath)) +
                       ".lock");
  // Only a dead owner makes a lock stale, never its age: Kobanu runs for days.
  lock->setStaleLockTime(0);
  return lock->tryLock(0) || lock->error() != QLockFile::LockFailedError;
}

void ReleaseInstanceLock() {
  if (lock != nullptr) lock->unlock();
}

}  // namespace ui
