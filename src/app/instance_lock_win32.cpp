#include <windows.h>

#include "app/instance_lock.h"

namespace {

HANDLE mutex = nullptr;  // the system frees it with the process, whichever way that ends

}  // namespace

bool ClaimSettingsFile(const std::string& settingsPath) {
  const std::string name = "Local\\" + InstanceLockName(settingsPath);
  mutex = CreateMutexA(nullptr, FALSE, name.c_str());
  return mutex == nullptr || GetLastError() != ERROR_ALREADY_EXISTS;
}

void ReleaseSettingsFile() {
  if (mutex != nullptr) CloseHandle(mutex);
  mutex = nullptr;
}
