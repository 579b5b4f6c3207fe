#include "platform/ui/qt/qt_menu.h"

namespace ui::qt {

void AddMenuItems(QMenu& menu, const MenuTemplate& items) {
  menu.setAccessibleName(QString::fromUtf8(items.popupTitle));
  for (const MenuItemTemplate& item : items.items) {
    if (item.text == nullptr) {
      menu.addSeparator();
    } else {
      menu.addAction(QString::fromUtf8(item.text))->setData(item.command);
    }
  }
}

UINT CommandOf(const QAction& action) { return action.data().toUInt(); }

}  // namespace ui::qt
