#include "platform/ui/qt/dialog_font.h"

#include <QFontMetrics>
#include <QStringList>

namespace ui::qt {

// "MS Shell Dlg" maps to IPA P Gothic: its kana are proportional like the Windows dialog font's,
// so the template's texts fit their controls (the fixed-pitch IPA Gothic cuts three of them).
// The choice is left to Qt's font matching, at the first text drawn: asking the font database
// at start-up would load every font's description before the icon is up.
QFont ShellDialogFont(int pointSize) {
  QFont font;
  font.setFamilies({"IPAPGothic", "sans-serif"});
  font.setPointSize(pointSize);
  return font;
}

QFont DialogFont(const DialogTemplate& dialog) { return ShellDialogFont(dialog.pointSize); }

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {AverageCharWidth(letters), metrics.height()};
}

}  // namespace ui::qt
