#pragma once

// The Qt 6 Widgets window system. Creates the QApplication; argc and argv must outlive it.
namespace ui::qt {

void InstallQtBackend(int& argc, char** argv);

}  // namespace ui::qt
