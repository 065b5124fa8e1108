// Multi-line text fields show all four lines of their frame at 1.5 device pixels to the pixel
// (144 dpi), wherever they stand.
#include <gtest/gtest.h>

#include <QImage>
#include <QPlainTextEdit>
#include <QTextBrowser>
#include <QWidget>

#include "app/window/framed_text_fields.h"

namespace ravlek {
namespace {

// Whether the band of device pixels [from, to) across a side, at its middle, holds a frame line:
// a pixel darker than both the field's white and the window's grey.
bool LineAcross(const QImage& image, bool vertical, int from, int to, int middle) {
  for (int i = from; i < to; ++i) {
    const QRgb pixel = vertical ? image.pixel(i, middle) : image.pixel(middle, i);
    if (qGray(pixel) < 225) return true;
  }
  return false;
}

TEST(TextFieldFramesTest, EverySideShowsAtAFractionalDensity) {
  KeepTextFieldFrames();
  const double ratio = 1.5;
  for (int offset = 0; offset < 4; ++offset) {
    for (const bool browser : {false, true}) {
      QWidget window;
      window.resize(220, 140);
      QWidget* field = browser ? static_cast<QWidget*>(new QTextBrowser(&window))
                               : static_cast<QWidget*>(new QPlainTextEdit(&window));
      field->setGeometry(10 + offset, 11 + offset, 121 + offset, 61);
      window.show();
      QImage image((QSizeF(window.size()) * ratio).toSize(), QImage::Format_RGB32);
      image.setDevicePixelRatio(ratio);
      image.fill(Qt::white);
      window.render(&image);
      // The field's rectangle in device pixels, each edge give or take a pixel.
      const QRect g = field->geometry();
      const int left = int(g.left() * ratio);
      const int top = int(g.top() * ratio);
      const int right = int((g.right() + 1) * ratio);
      const int bottom = int((g.bottom() + 1) * ratio);
      const int midX = (left + right) / 2;
      const int midY = (top + bottom) / 2;
      const std::string where =
          (browser ? "browser at " : "plain text at ") + std::to_string(10 + offset);
      EXPECT_TRUE(LineAcross(image, true, left - 1, left + 2, midY)) << "left, " << where;
      EXPECT_TRUE(LineAcross(image, true, right - 2, right + 1, midY)) << "right, " << where;
      EXPECT_TRUE(LineAcross(image, false, top - 1, top + 2, midX)) << "top, " << where;
      EXPECT_TRUE(LineAcross(image, false, bottom - 2, bottom + 1, midX)) << "bottom, " << where;
    }
  }
}

}  // namespace
}  // namespace ravlek
