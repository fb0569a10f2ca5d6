#include "widgets/dialog_units.h"

#include <QFontMetrics>
#include <QString>
#include <cmath>

DialogUnits::DialogUnits(const QFont& font) {
  const QFontMetrics metrics(font);
  // Averaged over the upper and lower case Latin alphabet and rounded, the way the system
  // measures a dialog font.
  const int alphabet = metrics.horizontalAdvance(
      QStringLiteral("ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz"));
  baseX_ = std::max(1, (alphabet / 26 + 1) / 2);
  baseY_ = std::max(1, metrics.height());
}

int DialogUnits::X(int units) const {
  return static_cast<int>(std::lround(units * baseX_ / 4));
}

int DialogUnits::Y(int units) const {
  return static_cast<int>(std::lround(units * baseY_ / 8));
}

QRect DialogUnits::Rect(int x, int y, int width, int height) const {
  const int left = X(x);
  const int top = Y(y);
  return QRect(left, top, X(x + width) - left, Y(y + height) - top);
}

QSize DialogUnits::Size(int width, int height) const {
  return QSize(X(width), Y(height));
}
