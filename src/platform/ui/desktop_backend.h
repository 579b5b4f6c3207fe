#pragma once

// Installs the window system of this build's desktop (Qt on Linux, Win32 on Windows), chosen by
// CMake. Call once, on the thread that becomes the UI thread; argc and argv must outlive it.
namespace ui {

void InstallDesktopBackend(int& argc, char** argv);

}  // namespace ui
