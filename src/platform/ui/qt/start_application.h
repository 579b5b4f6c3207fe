#pragma once

class QApplication;

namespace ui::qt {

// Builds the process's QApplication. When the window system cannot start (no display, or one
// that cannot be opened), the process ends with one line on stderr and exit status 1, where Qt
// itself would abort with a core dump after several lines of advice, and the libraries below it
// would add their own.
QApplication* StartApplication(int& argc, char** argv);

}  // namespace ui::qt
