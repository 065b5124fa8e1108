#include "metre/character_readings.h"

#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "dictionary/reading_classes.h"

namespace ravlek::metre {

void CharacterReadings::Add(char32_t character, const QString& spell) {
  Entry* found = nullptr;
  if (character >= kDenseFirst && character < kDenseEnd) {
    qint32& index = dense_[character - kDenseFirst];
    if (index < 0) {
      index = static_cast<qint32>(entries_.size());
      entries_.emplace_back();
    }
    found = &entries_[size_t(index)];
  } else {
    found = &readings_[character];
  }
  Entry& entry = *found;
  const int digit = ToneDigit(spell);
  const int index = static_cast<int>(entry.spells.size());
  if (index == 0) entry.firstDigit = digit;
  if (IsLevelToneDigit(digit)) {
    if (entry.levelCount++ == 0) entry.firstLevel = index;
  } else if (IsObliqueToneDigit(digit)) {
    if (entry.obliqueCount++ == 0) entry.firstOblique = index;
  }
  // One copy of each distinct reading (a few thousand), shared by every character that has it:
  // the check copies a reading per character, which then touches memory that stays in cache.
  auto shared = spellings_.constFind(spell);
  if (shared == spellings_.cend()) shared = spellings_.insert(spell, spell);
  entry.spells.append(*shared);
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
