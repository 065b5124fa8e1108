#pragma once
// The version page's labels size themselves to their text, so that no caption is cut off.

#include <QLabel>
#include <QString>

namespace ravlek {

inline void SetLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

}  // namespace ravlek
