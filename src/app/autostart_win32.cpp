#include <windows.h>

#include "app/autostart.h"

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "Kobanu";

std::string Where() { return std::string("HKCU\\") + kRunKey + "\\" + kValueName; }

}  // namespace

bool EnableAutostart(const std::string& executable, std::string& where) {
  where = Where();
  if (executable.empty()) {
    where = "the program's own path is unknown";
    return false;
  }
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    where += ": the key cannot be opened";
    return false;
  }
  const std::string command = "\"" + executable + "\"";
  const LONG result =
      RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) where += ": cannot be written";
  return result == ERROR_SUCCESS;
}

bool DisableAutostart(std::string& where) {
  where = Where();
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return true;
  if (opened != ERROR_SUCCESS) {
    where += ": the key cannot be opened";
    return false;
  }
  const LONG result = RegDeleteValueA(key, kValueName);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) where += ": cannot be removed";
  return result == ERROR_SUCCESS || result == ERROR_FILE_NOT_FOUND;
}
