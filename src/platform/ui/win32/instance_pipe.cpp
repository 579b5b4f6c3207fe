#include <cstdint>
#include <thread>

#include "platform/ui/win32/win32_api.h"
#include "platform/ui/win32/win32_windows.h"

namespace ui::win32 {

namespace {

// One name per lock and per session: another session's Kobanu does not answer under it.
std::wstring PipeName(const std::string& lockName) {
  DWORD session = 0;
  ProcessIdToSessionId(GetCurrentProcessId(), &session);
  return L"\\\\.\\pipe\\" + ToWide(lockName) + L"-" + std::to_wstring(session);
}

}  // namespace

void ServeRequests(const std::string& lockName, std::function<void(unsigned)> received) {
  std::thread([name = PipeName(lockName), received = std::move(received)] {
    for (;;) {
      // A pipe's default security lets only its creator's user and the administrators write.
      const HANDLE pipe =
          CreateNamedPipeW(name.c_str(), PIPE_ACCESS_INBOUND,
                           PIPE_TYPE_BYTE | PIPE_WAIT | PIPE_REJECT_REMOTE_CLIENTS,
                           PIPE_UNLIMITED_INSTANCES, 0, sizeof(uint32_t), 0, nullptr);
      if (pipe == INVALID_HANDLE_VALUE) return;
      uint32_t command = 0;
      DWORD read = 0;
      if ((ConnectNamedPipe(pipe, nullptr) || GetLastError() == ERROR_PIPE_CONNECTED) &&
          ReadFile(pipe, &command, sizeof command, &read, nullptr) && read == sizeof command) {
        PostTask([received, command] { received(command); });
      }
      CloseHandle(pipe);
    }
  }).detach();
}

bool SendRequest(const std::string& lockName, unsigned command) {
  const HANDLE pipe =
      CreateFileW(PipeName(lockName).c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return false;
  const uint32_t request = command;
  DWORD written = 0;
  const bool sent =
      WriteFile(pipe, &request, sizeof request, &written, nullptr) && written == sizeof request;
  CloseHandle(pipe);
  return sent;
}

}  // namespace ui::win32
