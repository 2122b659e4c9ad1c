#include "framework/DialogUnits.h"

#include <QFontMetrics>
#include <QString>
#include <cstdint>

#include "framework/Utf8.h"

namespace {

// a * b / c rounded to nearest, halves away from zero; c > 0.
int MulDiv(int a, int b, int c) {
  const std::int64_t product = std::int64_t{a} * b;
  const std::int64_t half = c / 2;
  return static_cast<int>(product >= 0 ? (product + half) / c : (product - half) / c);
}

// Qt consults substitutes only for faces it cannot find, so a desktop that has the real face
// keeps it.
void InstallSubstitutes() {
  static const bool installed = [] {
    const QString ipaGothic = QStringLiteral("IPAPGothic");
    QFont::insertSubstitution(QStringLiteral("ＭＳ Ｐゴシック"), ipaGothic);
    QFont::insertSubstitution(QStringLiteral("MS PGothic"), ipaGothic);
    return true;
  }();
  static_cast<void>(installed);
}

}  // namespace

DialogBaseUnits BaseUnitsOf(const QFont& font) {
  const QFontMetrics metrics(font);
  const int width = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  return {(width / 26 + 1) / 2, metrics.ascent() + metrics.descent()};
}

QRect MapDialogRect(const DialogRect& rect, DialogBaseUnits units) {
  return QRect(MulDiv(rect.x, units.cx, 4), MulDiv(rect.y, units.cy, 8),
               MulDiv(rect.width, units.cx, 4), MulDiv(rect.height, units.cy, 8));
}

QFont DialogFont(const DialogTemplate& t) {
  if (t.fontName.empty()) return QFont();
  InstallSubstitutes();
  QFont font(Utf8(t.fontName), t.fontPoints);
  // Should even the substitute be missing, stay with a proportional sans face.
  font.setStyleHint(QFont::SansSerif);
  return font;
}
