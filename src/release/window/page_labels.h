#pragma once
// The version page's labels size themselves to their text, so that no caption is cut off.

#include <QLabel>
#include <QString>

namespace ravlek {

inline void SetLabelText(QLabel* label, const QString& text) {
  label->setText(text);
  label->adjustSize();
}

// Sets a designed label's text, widening the label when the text is longer than its designed width
// (and never making it smaller than designed).
inline void SetLabelTextWidened(QLabel* label, const QString& text) {
  label->setText(text);
  const int needed = label->sizeHint().width();
  if (needed > label->width()) label->resize(needed, label->height());
}

}  // namespace ravlek
