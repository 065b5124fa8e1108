#pragma once
// What the handout export keeps while the program runs: the readings chosen for each text, the
// handout's options and the folder and file type last saved to.

#include <QHash>
#include <QString>

#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

namespace ravlek {

struct HandoutState {
  QHash<QString, ReadingChoices> choicesByText;  // the input field's text → its choices
  HandoutStyle style;
  bool heading = false;  // the first line the title, the second the author
  QString lastFolder;
  QString lastFilter;  // the file type last saved as
};

}  // namespace ravlek
