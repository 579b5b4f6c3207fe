// What the window system knows of another program's windows that a screenshot does not show,
// for scripts/test-windows under Wine. Prints UTF-8, one line per finding.
//
//   kobanu_win32_probe manifest EXE  the executable's application manifest
//   kobanu_win32_probe windows       each shown dialog and message box:
//       TITLE|owner=OWNER|topmost=0/1|appwindow=0/1|size=WxH|centred=DX,DY|awareness=N|
//       static=TEXTS|column0=W
//     DX, DY: how far its centre lies from that of its owner while the owner is shown, else
//     from that of the work area; awareness: 0 unaware, 1 system, 2 per monitor; column0: the
//     first list-view column's width in pixels, or -
//   kobanu_win32_probe endsession     the session's end, as the system tells Kobanu's main window
//   kobanu_win32_probe codepage       the ANSI code page of a program started like this one
//   kobanu_win32_probe running        the program of each running Kobanu, one path a line
//   kobanu_win32_probe run EXE ARG    EXE started as Explorer starts a program that a file is
//                                     dropped on (no console, no standard handles), waited for:
//                                     "status=N"
#include <windows.h>

#include <commctrl.h>
#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <string>

namespace {

std::string Utf8(const std::wstring& wide) {
  if (wide.empty()) return {};
  const int size = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()),
                                       nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), text.data(), size,
                      nullptr, nullptr);
  return text;
}

std::wstring Text(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

std::wstring ClassOf(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

int Manifest(const char* path) {
  const HMODULE module = LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE);
  const HRSRC resource = module != nullptr
                             ? FindResourceW(module, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24))
                             : nullptr;
  if (resource == nullptr) {
    std::printf("no manifest\n");
    return 1;
  }
  const void* bytes = LockResource(LoadResource(module, resource));
  std::fwrite(bytes, 1, SizeofResource(module, resource), stdout);
  return 0;
}

struct Found {
  std::wstring statics;
  std::wstring column0 = L"-";
};

BOOL CALLBACK CollectChild(HWND child, LPARAM param) {
  auto& found = *reinterpret_cast<Found*>(param);
  const std::wstring name = ClassOf(child);
  if (name == L"Static" && !Text(child).empty()) {
    found.statics += (found.statics.empty() ? L"" : L"/") + Text(child);
  } else if (name == WC_LISTVIEWW) {
    // No pointer in the message, so another process may ask it.
    found.column0 = std::to_wstring(SendMessageW(child, LVM_GETCOLUMNWIDTH, 0, 0));
  }
  return TRUE;
}

RECT Centre(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2, 0, 0}; }

BOOL CALLBACK ReportWindow(HWND window, LPARAM) {
  if (!IsWindowVisible(window) || ClassOf(window) != L"#32770") return TRUE;
  const HWND owner = GetWindow(window, GW_OWNER);
  RECT self{};
  GetWindowRect(window, &self);
  MONITORINFO monitor{};
  monitor.cbSize = sizeof monitor;
  GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTONEAREST), &monitor);
  RECT around = monitor.rcWork;
  if (owner != nullptr && IsWindowVisible(owner)) GetWindowRect(owner, &around);
  Found found;
  EnumChildWindows(window, CollectChild, reinterpret_cast<LPARAM>(&found));
  const int awareness = GetAwarenessFromDpiAwarenessContext(GetWindowDpiAwarenessContext(window));
  std::printf(
      "%s|owner=%s|topmost=%d|appwindow=%d|size=%ldx%ld|centred=%ld,%ld|awareness=%d|static=%s|"
      "column0=%s\n",
      Utf8(Text(window)).c_str(), owner != nullptr ? Utf8(Text(owner)).c_str() : "-",
      (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0 ? 1 : 0,
      (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_APPWINDOW) != 0 ? 1 : 0, self.right - self.left,
      self.bottom - self.top, Centre(self).left - Centre(around).left,
      Centre(self).top - Centre(around).top, awareness, Utf8(found.statics).c_str(),
      Utf8(found.column0).c_str());
  return TRUE;
}

int RunAsDropped(const char* program, const char* argument) {
  std::string command = std::string("\"") + program + "\" \"" + argument + "\"";
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;  // every one of them null
  PROCESS_INFORMATION process{};
  if (!CreateProcessA(program, command.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                      nullptr, &startup, &process)) {
    std::printf("not started\n");
    return 1;
  }
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  CloseHandle(process.hThread);
  CloseHandle(process.hProcess);
  std::printf("status=%lu\n", status);
  return 0;
}

int EndSession() {
  const HWND window = FindWindowW(L"KobanuMainWindow", nullptr);
  if (window == nullptr) {
    std::printf("no window\n");
    return 1;
  }
  const LRESULT agreed = SendMessageW(window, WM_QUERYENDSESSION, 0, ENDSESSION_LOGOFF);
  SendMessageW(window, WM_ENDSESSION, agreed != FALSE, ENDSESSION_LOGOFF);
  std::printf("agreed=%d\n", agreed != FALSE ? 1 : 0);
  return 0;
}

// Each Kobanu's hidden main window (the tray program's or the service window's): the program its
// process runs, as the installer finds it.
BOOL CALLBACK ReportKobanu(HWND window, LPARAM) {
  if (ClassOf(window) != L"KobanuMainWindow") return TRUE;
  DWORD id = 0;
  GetWindowThreadProcessId(window, &id);
  const HANDLE process = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, id);
  if (process == nullptr) return TRUE;
  wchar_t path[MAX_PATH];
  DWORD size = MAX_PATH;
  if (QueryFullProcessImageNameW(process, 0, path, &size)) {
    std::printf("%s\n", Utf8(std::wstring(path, size)).c_str());
  }
  CloseHandle(process);
  return TRUE;
}

}  // namespace

int main(int argc, char** argv) {
  _setmode(_fileno(stdout), _O_BINARY);  // bare line feeds for the shell
  // Positions in real pixels whatever the DPI.
  SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
  const std::string command = argc > 1 ? argv[1] : "";
  if (command == "manifest" && argc == 3) return Manifest(argv[2]);
  if (command == "windows") return EnumWindows(ReportWindow, 0) ? 0 : 1;
  if (command == "endsession") return EndSession();
  if (command == "codepage") return std::printf("%u\n", GetACP()) > 0 ? 0 : 1;
  if (command == "running") return EnumWindows(ReportKobanu, 0) ? 0 : 1;
  if (command == "run" && argc == 4) return RunAsDropped(argv[2], argv[3]);
  std::fprintf(stderr,
               "usage: kobanu_win32_probe manifest EXE | windows | endsession | codepage | "
               "running | run EXE ARG\n");
  return 2;
}
