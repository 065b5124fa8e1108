#pragma once
// The readings of one class indexed by character, and a store that keeps them between runs of the
// conversion while the dictionary's contents stay as they were read.

#include <QChar>
#include <QHash>
#include <QString>
#include <memory>

namespace ravlek {

class ClassReadingSource;
struct ReadingClass;

// Character → its readings in row order, joined by the reading separator. Only rows whose HanWord
// is exactly one character are indexed; hasRows also counts the longer words, so that a class
// without rows (which changes nothing in the conversion) can be told from one of words only.
struct ClassIndex {
  QHash<char32_t, QString> readings;
  bool hasRows = false;
};

ClassIndex ReadClassIndex(ClassReadingSource& source, const ReadingClass& readingClass);

// One store per reading source (a source that changes the readings, such as tone marks, needs its
// own). Kept indexes are dropped as soon as the source's content stamp differs from the one they
// were read under: an edit stored through any dataset, a commit by another program, another
// dictionary. A source without a stamp is read at every run.
class ClassIndexCache {
 public:
  std::shared_ptr<const ClassIndex> Get(ClassReadingSource& source,
                                        const ReadingClass& readingClass, const QString& stamp);

 private:
  QString stamp_;
  QHash<QChar, std::shared_ptr<const ClassIndex>> kept_;  // by the class character
};

}  // namespace ravlek
