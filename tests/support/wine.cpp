#include "support/wine.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace testing_support {

bool RunningUnderWine() {
#ifdef _WIN32
  // Only Wine's ntdll exports its version.
  const HMODULE ntdll = GetModuleHandleA("ntdll.dll");
  return ntdll != nullptr && GetProcAddress(ntdll, "wine_get_version") != nullptr;
#else
  return false;
#endif
}

}  // namespace testing_support
