#include "platform/runtime/user_folders.h"

#include <windows.h>

#include <cstdlib>

namespace platform {

std::string UserSettingsFolder() {
  const char* appData = std::getenv("APPDATA");
  return appData != nullptr && appData[0] != '\0' ? std::string(appData) + "\\Kobanu\\" : "";
}

bool CanCreateFilesIn(const std::string& folder) {
  if (folder.empty()) return false;
  // The folder's attributes say nothing of its access list (Program Files): try it.
  const std::string probe = folder + "kobanu-write-probe.tmp";
  const HANDLE file = CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (file == INVALID_HANDLE_VALUE) return false;
  CloseHandle(file);
  return true;
}

// Windows keeps Program Files from its programs' writes, so CanCreateFilesIn says enough.
bool IsSystemSoftwareFolder(const std::string&) { return false; }

}  // namespace platform
