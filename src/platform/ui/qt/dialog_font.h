#pragma once

#include <QFont>

#include "platform/ui/templates.h"

namespace ui::qt {

// The templates' "MS Shell Dlg" becomes a Japanese-capable sans-serif face: IPA P Gothic where
// it is installed.
QFont ShellDialogFont(int pointSize);

// The dialog template's font at the template's size.
QFont DialogFont(const DialogTemplate& dialog);

// The font of everything else the program shows (message boxes, menus, the tray icon's tip):
// the dialogs' face and size, as Windows shows them all in the shell's one font.
inline constexpr int kProgramFontPointSize = 8;

// The font's average character width and height, as Windows measures a dialog font.
DialogBaseUnits BaseUnitsOf(const QFont& font);

}  // namespace ui::qt
