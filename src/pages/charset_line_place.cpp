#include "pages/charset_line_place.h"

#include <algorithm>

namespace ravlek {

QRect CharsetLinePlace(QSize pageSize, QRect view, QSize line) {
  const QRect page(QPoint(0, 0), pageSize);
  const int alignedLeft = std::max(0, view.right() + 1 - line.width());
  const QRect candidates[] = {
      QRect(QPoint(alignedLeft, view.bottom() + 1), line),
      QRect(QPoint(alignedLeft, view.top() - line.height()), line),
      QRect(QPoint(view.right() + 1, view.bottom() + 1 - line.height()), line),
  };
  for (const QRect& place : candidates) {
    if (page.contains(place) && !place.intersects(view)) return place;
  }
  return QRect(QPoint(pageSize.width() - line.width(), pageSize.height() - line.height()), line);
}

}  // namespace ravlek
