#include "app/window/designed_layout.h"

#include <QPlainTextEdit>
#include <QProgressBar>
#include <cmath>
#include <cstring>
#include <stdexcept>
#include <string>

namespace ravlek {

QPlainTextEdit* PrepareMemo(QPlainTextEdit* memo) {
  memo->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
  memo->setLineWrapMode(QPlainTextEdit::WidgetWidth);
  memo->setTabChangesFocus(true);
  return memo;
}

QProgressBar* PrepareProgressBar(QProgressBar* bar) {
  bar->setTextVisible(false);
  bar->setRange(0, 100);
  bar->setValue(0);
  return bar;
}

const DesignedPlace& PlaceIn(LayoutTable table, const char* name) {
  for (const DesignedPlace& place : table) {
    if (std::strcmp(place.name, name) == 0) return place;
  }
  throw std::logic_error(std::string("no designed place for ") + name);
}

QRect GrownRect(const DesignedPlace& place, const DesignUnits& units, QSize extra) {
  const QRect designed =
      units.Rect(place.design.x(), place.design.y(), place.design.width(), place.design.height());
  const auto share = [](double part, int whole) {
    return static_cast<int>(std::lround(part * whole));
  };
  // Edges are rounded, not lengths, so that neighbours that share an edge keep sharing it.
  const int left = designed.x() + share(place.growth.left, extra.width());
  const int top = designed.y() + share(place.growth.top, extra.height());
  const int right = designed.x() + designed.width() +
                    share(place.growth.left + place.growth.width, extra.width());
  const int bottom = designed.y() + designed.height() +
                     share(place.growth.top + place.growth.height, extra.height());
  return QRect(left, top, right - left, bottom - top);
}

void DesignedLayout::Follow(QSize extra) {
  extra = extra.expandedTo(QSize(0, 0));
  for (const auto& [widget, place] : made_) {
    if (!widget) continue;
    const QRect grown = GrownRect(*place, units_, extra);
    if (place->sizedToText)
      widget->move(grown.topLeft());
    else
      widget->setGeometry(grown);
  }
}

}  // namespace ravlek
