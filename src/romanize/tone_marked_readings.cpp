#include "romanize/tone_marked_readings.h"

#include "romanize/tailo.h"

namespace ravlek {

void ToneMarkedReadingSource::ReadClass(const ReadingClass& readingClass, const RowFn& row) {
  source_.ReadClass(readingClass, [&row](const QString& hanWord, const QString& hanSpell) {
    row(hanWord, ToneMarkedTaiLo(hanSpell));
  });
}

}  // namespace ravlek
