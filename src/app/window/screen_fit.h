#pragma once
// Windows of their own (格律檢查, the handout preview) open at their designed size, but never
// taller or wider than the screen they open on can show with their frame.

#include <QSize>

class QWidget;

namespace ravlek {

// `wanted` bounded by the available area of near's screen, less room for a title bar and borders.
QSize FittedToScreen(const QWidget& near, QSize wanted);

}  // namespace ravlek
