// Dialog units: the coordinates of a dialog template. A horizontal unit is a quarter of the
// dialog font's average character width and a vertical unit an eighth of its height, so a
// dialog laid out in them keeps its arrangement at any font and screen scale.
#pragma once

#include <QFont>
#include <QRect>
#include <QSize>

class DialogUnits {
 public:
  // The base units of a font, measured as the system measures a dialog font.
  explicit DialogUnits(const QFont& font);
  DialogUnits(double baseX, double baseY) : baseX_(baseX), baseY_(baseY) {}

  double baseX() const { return baseX_; }  // average character width in pixels
  double baseY() const { return baseY_; }  // character height in pixels

  int X(int units) const;
  int Y(int units) const;
  // Converts the edges rather than the size, so that controls that touch in the template
  // touch on the screen.
  QRect Rect(int x, int y, int width, int height) const;
  QRect Rect(const QRect& units) const {
    return Rect(units.x(), units.y(), units.width(), units.height());
  }
  QSize Size(int width, int height) const;

 private:
  double baseX_;
  double baseY_;
};
