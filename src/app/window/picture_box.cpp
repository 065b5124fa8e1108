#include "app/window/picture_box.h"

namespace ravlek {

QPixmap PictureForBox(const QPixmap& picture, QSize boxSize, qreal devicePixelRatio, bool stretch) {
  if (picture.isNull()) return picture;
  const QSize box = (QSizeF(boxSize) * devicePixelRatio).toSize();
  QPixmap shown = picture;
  if (stretch) {
    shown = picture.scaled(box, Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
  } else if (picture.width() > box.width() || picture.height() > box.height()) {
    shown = picture.scaled(box, Qt::KeepAspectRatio, Qt::SmoothTransformation);
  }
  shown.setDevicePixelRatio(devicePixelRatio);
  return shown;
}

}  // namespace ravlek
