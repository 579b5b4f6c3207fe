#include "platform/ui/qt/program_icon.h"

namespace ui::qt {

QIcon IconOf(HICON icon) {
  QIcon result;
  for (const int size : {16, 24, 32, 48}) {
    result.addFile(QString(":/icons/%1_%2.png").arg(icon).arg(size), QSize(size, size));
  }
  return result;
}

}  // namespace ui::qt
