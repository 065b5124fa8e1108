#pragma once
// The window is designed at 120 pixels per inch: positions, sizes and font heights in the layout
// are design pixels, scaled at run time by the screen's logical density. Font names of the design
// are mapped onto the free fonts installed with the program.

#include <QFont>
#include <QRect>
#include <QString>
#include <QWidget>

class QComboBox;

namespace ravlek {

// Maps the design's font names onto installed families (Ming styles, Kai style, Tahoma), the
// CJK ones followed by the Hanazono fonts for the characters they lack.
// Safe to call more than once.
void InstallFontSubstitutions();

class DesignUnits {
 public:
  // The factor of the primary screen (logical dots per inch / 120).
  DesignUnits();
  explicit DesignUnits(double factor) : factor_(factor) {}

  int Px(int designPixels) const;
  QRect Rect(int left, int top, int width, int height) const;
  // A font of the design: family name as designed, character height in design pixels.
  QFont Font(const QString& family, int designPixels, bool bold = false) const;

 private:
  double factor_ = 1.0;
};

// A control of the design: created on its parent with its name, at its scaled place and size.
template <typename W>
W* MakeControl(QWidget* parent, const char* name, const DesignUnits& units, int left, int top,
               int width, int height) {
  auto* widget = new W(parent);
  widget->setObjectName(QString::fromLatin1(name));
  widget->setGeometry(units.Rect(left, top, width, height));
  return widget;
}

// Sets the text of an editable combo box the way the design's combo boxes take it: the matching
// item becomes current, otherwise the text is put into the edit field. No change event follows.
void SetComboText(QComboBox* box, const QString& text);

}  // namespace ravlek
