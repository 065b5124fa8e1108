// The launcher page's two pictures at the screen density the run is given (QT_SCALE_FACTOR): one
// picture pixel to one device pixel, neither enlarged nor blurred.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPixmap>

#include "app/window/ostrel.h"
#include "tests/support/app_folder_fixture.h"
#include "tests/support/window/modal_box_dismisser.h"

namespace {

using ravlek::test::AppFolderFixture;
using ravlek::test::CurrentDirGuard;
using ravlek::test::ModalBoxDismisser;

TEST(LauncherPictures, DrawnPixelForPixel) {
  AppFolderFixture folder;
  CurrentDirGuard cwd(folder.Path());
  ModalBoxDismisser dismisser;
  TOstrel window;
  window.show();
  const qreal ratio = window.devicePixelRatioF();
  const QByteArray scale = qgetenv("QT_SCALE_FACTOR");
  // The hints picture is 747 × 475; at 96 dpi (no scaling) its box is only 404 pixels high, so
  // there it is shrunk to fit.
  const QSize hints = scale.isEmpty() || scale == "1" ? QSize(635, 404) : QSize(747, 475);
  // A pixmap's size is counted in its own pixels, which are drawn one to one device pixel.
  const QPixmap shown = window.Image1->pixmap();
  EXPECT_EQ(shown.devicePixelRatio(), ratio);
  EXPECT_EQ(shown.size(), hints) << "scale " << scale.constData();
  // The sample picture fills its box, in the box's device pixels.
  const QPixmap sample = window.TntImage1->pixmap();
  EXPECT_EQ(sample.devicePixelRatio(), ratio);
  EXPECT_EQ(sample.size(), (QSizeF(window.TntImage1->size()) * ratio).toSize());
  EXPECT_FALSE(window.TntImage1->hasScaledContents());
}

}  // namespace
