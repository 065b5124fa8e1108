#pragma once
// A page's layout table: every control's place and size in design pixels, and how it follows a
// window that the user made larger than designed. At the designed size every control is where the
// design puts it; beyond it, grids, text areas and web views take the extra room, and what stands
// below or beside them moves along. The window tests read the same tables.

#include <QPointer>
#include <QRect>
#include <QSize>
#include <QWidget>
#include <span>
#include <utility>
#include <vector>

#include "app/window/design_units.h"

class QPlainTextEdit;
class QProgressBar;

namespace ravlek {

// The design's memo: a vertical scroll bar always, lines wrapped at the width, Tab moving on to the
// next control as in every field of the window.
QPlainTextEdit* PrepareMemo(QPlainTextEdit* memo);
// The design's progress bar: no text, 0 to 100, empty.
QProgressBar* PrepareProgressBar(QProgressBar* bar);

// The shares (0 to 1) of the extra width and height by which a control's left and top edges move
// and its width and height grow.
struct Growth {
  double left = 0;
  double top = 0;
  double width = 0;
  double height = 0;
};

inline constexpr Growth kFixed{};
inline constexpr Growth kGrowsBoth{0, 0, 1, 1};

struct DesignedPlace {
  const char* name;
  QRect design;  // left, top, width, height in design pixels
  Growth growth = kFixed;
  bool sizedToText = false;  // a label as large as its text, from its designed place on
};

using LayoutTable = std::span<const DesignedPlace>;

// The place of `name` in the table; a name the table lacks is a fault of the code.
const DesignedPlace& PlaceIn(LayoutTable table, const char* name);

// The control's geometry on a page that has grown by `extra` logical pixels.
QRect GrownRect(const DesignedPlace& place, const DesignUnits& units, QSize extra);

// Makes the controls of a table and keeps them in place as the page grows.
class DesignedLayout {
 public:
  DesignedLayout(LayoutTable table, const DesignUnits& units) : table_(table), units_(units) {}

  const DesignUnits& Units() const { return units_; }

  // A control of the table: created on its parent with its name, at its designed place and size.
  template <typename W>
  W* Make(QWidget* parent, const char* name) {
    const DesignedPlace& place = PlaceIn(table_, name);
    auto* widget = new W(parent);
    widget->setObjectName(QString::fromLatin1(name));
    widget->setGeometry(units_.Rect(place.design.x(), place.design.y(), place.design.width(),
                                    place.design.height()));
    made_.emplace_back(widget, &place);
    return widget;
  }

  // Places every control made for a window `extra` logical pixels larger than designed.
  void Follow(QSize extra);

 private:
  LayoutTable table_;
  DesignUnits units_;
  std::vector<std::pair<QPointer<QWidget>, const DesignedPlace*>> made_;
};

}  // namespace ravlek
