#pragma once
// How a picture fills a box on a screen whose device pixels are `devicePixelRatio` times as
// dense as its logical pixels: the picture keeps its own pixels (one to one device pixel), so
// that it is neither enlarged nor blurred at a higher density.

#include <QPixmap>
#include <QSize>

namespace ravlek {

// The pixmap to show in a box of boxSize logical pixels. At its own size unless it is larger than
// the box (then shrunk keeping its proportions), or stretched to the box's device pixels when
// stretch is set. The result carries the device pixel ratio, so it is drawn pixel for pixel.
QPixmap PictureForBox(const QPixmap& picture, QSize boxSize, qreal devicePixelRatio, bool stretch);

}  // namespace ravlek
