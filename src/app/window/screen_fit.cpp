#include "app/window/screen_fit.h"

#include <QGuiApplication>
#include <QScreen>
#include <QStyle>
#include <QWidget>

namespace ravlek {

QSize FittedToScreen(const QWidget& near, QSize wanted) {
  const QScreen* screen = near.screen() ? near.screen() : QGuiApplication::primaryScreen();
  if (!screen) return wanted;
  // The frame is not known before the window shows: a title bar and a border on each side.
  const int border = 2 * near.style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, &near);
  const int titleBar = near.style()->pixelMetric(QStyle::PM_TitleBarHeight, nullptr, &near);
  const QSize room = screen->availableGeometry().size() - QSize(border, titleBar + border);
  return wanted.boundedTo(room);
}

}  // namespace ravlek
