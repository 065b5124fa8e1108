#include "romanize/tone_marked_readings.h"

#include "dictionary/tailo.h"

namespace ravlek {

void ToneMarkedReadingSource::ReadClass(const ReadingClass& readingClass, const RowFn& row) {
  source_.ReadClass(readingClass, [&row](QStringView hanWord, QStringView hanSpell) {
    row(hanWord, ToneMarkedTaiLo(hanSpell.toString()));
  });
}

}  // namespace ravlek
