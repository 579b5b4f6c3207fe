#pragma once

#include <QMenu>

#include "platform/ui/templates.h"

namespace ui::qt {

// Fills a menu with a template's items; each action carries its command as its data.
void AddMenuItems(QMenu& menu, const MenuTemplate& items);

// The command an action of such a menu stands for.
UINT CommandOf(const QAction& action);

}  // namespace ui::qt
