#include "platform/ui/qt/dialog_font.h"

#include <QFontDatabase>
#include <QFontMetrics>
#include <QStringList>

namespace ui::qt {

QFont DialogFont(const DialogTemplate& dialog) {
  const QString family =
      QFontDatabase::families().contains("IPAGothic") ? "IPAGothic" : "sans-serif";
  QFont font(family);
  font.setPointSize(dialog.pointSize);
  return font;
}

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int letters =
      metrics.horizontalAdvance("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz");
  return {AverageCharWidth(letters), metrics.height()};
}

}  // namespace ui::qt
