#pragma once
// Every reading of each character, literary first (文, 通, then 今, 古, 白), for the metre
// checker: the tones of a character that the Pingshui table lacks, and the reading of each
// character that fits its place in a poem.

#include <QHash>
#include <QString>
#include <QStringList>
#include <vector>

namespace ravlek {
class ClassReadingSource;
}

namespace ravlek::metre {

class CharacterReadings {
 public:
  // A character's readings, with what the check asks of their tones kept as they are added.
  struct Entry {
    QStringList spells;
    int firstDigit = 0;     // the tone digit of the first reading
    int firstLevel = -1;    // the index of the first 平 reading; -1: none
    int firstOblique = -1;  // of the first 仄 one
    int levelCount = 0;     // how many readings are 平
    int obliqueCount = 0;   // and how many 仄
  };

  // Appends a reading; the order of calls is the order of the readings.
  void Add(char32_t character, const QString& spell);
  // The readings of a character in order; empty when it has none.
  QStringList Find(char32_t character) const {
    const Entry* found = FindEntry(character);
    return found ? found->spells : QStringList();
  }
  // The same without a copy, or nullptr.
  const QStringList* FindReadings(char32_t character) const {
    const Entry* found = FindEntry(character);
    return found ? &found->spells : nullptr;
  }
  // The readings with their tones, or nullptr when it has none.
  const Entry* FindEntry(char32_t character) const {
    if (character >= kDenseFirst && character < kDenseEnd) {
      const qint32 index = dense_[character - kDenseFirst];
      return index < 0 ? nullptr : &entries_[size_t(index)];
    }
    const auto found = readings_.constFind(character);
    return found == readings_.cend() ? nullptr : &*found;
  }

  // Reads the five classes through the source in the order 文, 通, 今, 古, 白.
  static CharacterReadings FromSource(ClassReadingSource& source);

 private:
  // The common Han blocks in an array, the rest hashed: the check looks up every character.
  static constexpr char32_t kDenseFirst = 0x3400;
  static constexpr char32_t kDenseEnd = 0xA000;
  std::vector<qint32> dense_ = std::vector<qint32>(kDenseEnd - kDenseFirst, -1);  // into entries_
  std::vector<Entry> entries_;
  QHash<char32_t, Entry> readings_;
  QHash<QString, QString> spellings_;  // each distinct reading once
};

// The tone digit at the end of a numeric Tâi-lô reading, or 0.
// Inline: the check asks it of every reading of every character.
inline int ToneDigit(const QString& spell) {
  if (spell.isEmpty()) return 0;
  const char16_t last = spell.back().unicode();
  return last >= u'1' && last <= u'9' ? last - u'0' : 0;
}
// Digits 1 and 5 are 平; 2, 3, 7 and the entering tones 4 and 8 are 仄.
inline bool IsLevelToneDigit(int digit) {
  return digit == 1 || digit == 5;
}
inline bool IsObliqueToneDigit(int digit) {
  return digit == 2 || digit == 3 || digit == 4 || digit == 7 || digit == 8;
}

}  // namespace ravlek::metre
