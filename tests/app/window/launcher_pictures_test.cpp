// The launcher page's two pictures at the screen density the run is given (QT_SCALE_FACTOR): one
// picture pixel to one device pixel, neither enlarged nor blurred.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>
#include <QPushButton>

#include "app/window/editor_launcher.h"
#include "app/window/ostrel.h"
#include "tests/support/window/window_in_app_folder.h"

namespace {

using ravlek::test::WindowInAppFolder;

TEST(LauncherPictures, DrawnPixelForPixel) {
  WindowInAppFolder started;
  TOstrel& window = started.window();
  const qreal ratio = window.devicePixelRatioF();
  const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
  // The hints picture is 747 × 475; at 96 dpi (no scaling) the layout is 0.8 of its design, and
  // the picture shrinks with it, so that it stays clear of the launch button.
  const QSize hints = scale.isEmpty() || scale == "1" ? QSize(597, 380) : QSize(747, 475);
  // A pixmap's size is counted in its own pixels, which are drawn one to one device pixel.
  const QPixmap shown = window.editorPage()->Image1->pixmap();
  EXPECT_EQ(shown.devicePixelRatio(), ratio);
  EXPECT_EQ(shown.size(), hints) << "scale " << scale.constData();
  // The sample picture fills its box, in the box's device pixels.
  const QPixmap sample = window.editorPage()->TntImage1->pixmap();
  EXPECT_EQ(sample.devicePixelRatio(), ratio);
  EXPECT_EQ(sample.size(), (QSizeF(window.editorPage()->TntImage1->size()) * ratio).toSize());
  EXPECT_FALSE(window.editorPage()->TntImage1->hasScaledContents());
  // Nothing of the hints picture lies under the launch button.
  const int pictureRight = window.editorPage()->Image1->x() + qRound(shown.width() / ratio);
  EXPECT_LT(pictureRight, window.editorPage()->TntBitBtn_Spell->x())
      << "scale " << scale.constData();
}

}  // namespace
