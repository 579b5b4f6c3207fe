#pragma once

#include <QFont>

#include "platform/ui/templates.h"

namespace ui::qt {

// The template's "MS Shell Dlg" becomes a Japanese-capable sans-serif face at the template's
// size: IPA P Gothic where it is installed.
QFont DialogFont(const DialogTemplate& dialog);

// The font's average character width and height, as Windows measures a dialog font.
DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace ui::qt
