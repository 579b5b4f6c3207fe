#include "platform/ui/qt/dialog_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace ui::qt {

// "MS Shell Dlg" maps to IPA P Gothic: its kana are proportional like the Windows dialog font's,
// so the template's texts fit their controls (the fixed-pitch IPA Gothic cuts three of them).
QFont ShellDialogFont(int pointSize) {
  const QString family =
      QFontDatabase::families().contains("IPAPGothic") ? "IPAPGothic" : "sans-serif";
  QFont font(family);
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
