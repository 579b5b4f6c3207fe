#include "platform/ui/instance_lock.h"

#include <windows.h>

namespace ui {

namespace {

HANDLE mutex = nullptr;  // the system frees it with the process, whichever way that ends

}  // namespace

InstanceClaim ClaimInstanceLock(const std::string& settingsPath) {
  const std::string name = "Local\\" + InstanceLockName(settingsPath);
  mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  if (mutex == nullptr) return InstanceClaim::kNoLock;
  return GetLastError() == ERROR_ALREADY_EXISTS ? InstanceClaim::kHeldElsewhere
                                                : InstanceClaim::kHeld;
}

void ReleaseInstanceLock() {
  if (mutex != nullptr) CloseHandle(mutex);
  mutex = nullptr;
}

}  // namespace ui
