#pragma once

#include <QIcon>

#include "platform/ui/win_types.h"

namespace ui::qt {

// One of the program's icons, which it brings as Qt resources by id and size
// (":/icons/128_16.png"): every size it has.
QIcon IconOf(HICON icon);

}  // namespace ui::qt
