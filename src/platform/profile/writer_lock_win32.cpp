#include "platform/profile/writer_lock.h"

#include <windows.h>

namespace platform {

namespace {

constexpr DWORD kPollMs = 10;

}  // namespace

WriterLock::WriterLock(const std::string& path) {
  const HANDLE file = CreateFileA(WriterLockPath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                  FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_HIDDEN, nullptr);
  if (file == INVALID_HANDLE_VALUE) return;
  for (DWORD waited = 0; waited < static_cast<DWORD>(kWriterLockWaitMs); waited += kPollMs) {
    OVERLAPPED whole{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &whole)) {
      file_ = file;
      return;
    }
    if (GetLastError() != ERROR_LOCK_VIOLATION) break;
    Sleep(kPollMs);
  }
  CloseHandle(file);
}

WriterLock::~WriterLock() {
  if (file_ != nullptr) CloseHandle(file_);  // lets go of the lock
}

}  // namespace platform
