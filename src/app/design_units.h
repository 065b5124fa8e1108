#pragma once
// The window is designed at 120 pixels per inch: positions, sizes and font heights in the layout
// are design pixels, scaled at run time by the screen's logical density. Font names of the design
// are mapped onto the free fonts installed with the program.

#include <QFont>
#include <QRect>
#include <QString>

namespace ravlek {

// Maps the design's font names onto installed families (Ming styles, Kai style, Tahoma).
// Safe to call more than once.
void InstallFontSubstitutions();

class DesignUnits {
 public:
  // The factor of the primary screen (logical dots per inch / 120).
  DesignUnits();
  explicit DesignUnits(double factor) : factor_(factor) {}

  double Factor() const { return factor_; }
  int Px(int designPixels) const;
  QRect Rect(int left, int top, int width, int height) const;
  // A font of the design: family name as designed, character height in design pixels.
  QFont Font(const QString& family, int designPixels, bool bold = false) const;

 private:
  double factor_ = 1.0;
};

}  // namespace ravlek
