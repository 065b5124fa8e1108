#pragma once
// Where a resource page's charset line goes: on the page, over nothing of the view.

#include <QRect>
#include <QSize>

namespace ravlek {

// The line's place on a page of pageSize holding the view at view: under the view, its right
// edge at the view's; else above the view; else beside it at the bottom; and only where none
// of these has room, the page's bottom-right corner.
QRect CharsetLinePlace(QSize pageSize, QRect view, QSize line);

}  // namespace ravlek
