#include "metre/character_readings.h"

#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "dictionary/reading_classes.h"

namespace ravlek::metre {

void CharacterReadings::Add(char32_t character, const QString& spell) {
  if (character >= kDenseFirst && character < kDenseEnd) {
    dense_[character - kDenseFirst].append(spell);
  } else {
    readings_[character].append(spell);
  }
}

CharacterReadings CharacterReadings::FromSource(ClassReadingSource& source) {
  CharacterReadings readings;
  const auto& classes = ReadingClasses();  // 通 文 今 古 白
  for (const int index : {1, 0, 2, 3, 4}) {
    source.ReadClass(classes[index], [&](QStringView hanWord, QStringView hanSpell) {
      if (hanWord.isEmpty() || CharacterLength(hanWord, 0) != hanWord.size()) return;
      readings.Add(CharacterCode(hanWord, 0, hanWord.size()), hanSpell.toString());
    });
  }
  return readings;
}

}  // namespace ravlek::metre
