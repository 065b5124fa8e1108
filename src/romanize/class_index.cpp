#include "romanize/class_index.h"

#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "dictionary/reading_classes.h"

namespace ravlek {

ClassIndex ReadClassIndex(ClassReadingSource& source, const ReadingClass& readingClass) {
  ClassIndex index;
  source.ReadClass(readingClass, [&index](QStringView hanWord, QStringView hanSpell) {
    index.hasRows = true;
    // Only a row whose HanWord is exactly one character can match a character of the text.
    if (hanWord.isEmpty() || CharacterLength(hanWord, 0) != hanWord.size()) return;
    // The readings of a character are kept joined, as the piece writes them: one text per
    // character instead of one per reading.
    const char32_t code = CharacterCode(hanWord, 0, hanWord.size());
    const auto it = index.readings.find(code);
    if (it == index.readings.end()) {
      index.readings.insert(code, hanSpell.toString());
    } else {
      *it += kReadingSeparator;
      *it += hanSpell;
    }
  });
  return index;
}

std::shared_ptr<const ClassIndex> ClassIndexCache::Get(ClassReadingSource& source,
                                                       const ReadingClass& readingClass,
                                                       const QString& stamp) {
  if (stamp.isEmpty() || stamp != stamp_) {
    kept_.clear();
    stamp_ = stamp;
  }
  auto& kept = kept_[readingClass.character];
  if (!kept) kept = std::make_shared<const ClassIndex>(ReadClassIndex(source, readingClass));
  if (stamp.isEmpty()) return std::exchange(kept, nullptr);
  return kept;
}

}  // namespace ravlek
