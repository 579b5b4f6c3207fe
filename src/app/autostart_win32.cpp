#include "app/autostart.h"

#include <windows.h>

namespace {

constexpr const char* kRunKey = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr const char* kValueName = "Kobanu";

std::string Where() { return std::string("HKCU\\") + kRunKey + "\\" + kValueName; }

}  // namespace

AutostartChange EnableAutostart(const std::string& executable) {
  if (executable.empty()) return {false, "the program's own path is unknown"};
  HKEY key = nullptr;
  if (RegCreateKeyExA(HKEY_CURRENT_USER, kRunKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key,
                      nullptr) != ERROR_SUCCESS) {
    return {false, Where() + ": the key cannot be opened"};
  }
  const std::string command = "\"" + executable + "\"";
  const LONG result =
      RegSetValueExA(key, kValueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(command.c_str()),
                     static_cast<DWORD>(command.size() + 1));
  RegCloseKey(key);
  if (result != ERROR_SUCCESS) return {false, Where() + ": cannot be written"};
  return {true, Where()};
}

AutostartChange DisableAutostart() {
  HKEY key = nullptr;
  const LONG opened = RegOpenKeyExA(HKEY_CURRENT_USER, kRunKey, 0, KEY_SET_VALUE, &key);
  if (opened == ERROR_FILE_NOT_FOUND) return {true, Where()};
  if (opened != ERROR_SUCCESS) return {false, Where() + ": the key cannot be opened"};
  const LONG result = RegDeleteValueA(key, kValueName);
  RegCloseKey(key);
  if (result != ERROR_SUCCESS && result != ERROR_FILE_NOT_FOUND) {
    return {false, Where() + ": cannot be removed"};
  }
  return {true, Where()};
}
