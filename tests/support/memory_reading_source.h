#pragma once
// The one reading source over rows held in memory, for the conversion's, the metre's and the
// benchmarks' tests: the rows of a class are those whose Ptype begins with the class character,
// in the order given. Counts the class reads; the content stamp is what the test sets.

#include <QHash>
#include <QString>
#include <vector>

#include "dictionary/class_readings.h"
#include "dictionary/reading_classes.h"

namespace ravlek::test {

struct ReadingRow {
  QString hanWord;
  QString hanSpell;
  QString ptype;
};

class MemoryReadingSource : public ClassReadingSource {
 public:
  MemoryReadingSource() = default;
  explicit MemoryReadingSource(const std::vector<ReadingRow>& rows) {
    for (const ReadingRow& r : rows) Add(r);
  }
  // Every row of the five classes of another source, read once.
  static MemoryReadingSource CopyOf(ClassReadingSource& from) {
    MemoryReadingSource copy;
    for (const ReadingClass& readingClass : ReadingClasses()) {
      from.ReadClass(readingClass, [&](QStringView word, QStringView spell) {
        copy.Add({word.toString(), spell.toString(), QString(readingClass.character)});
      });
    }
    return copy;
  }

  void Add(const ReadingRow& row) {
    if (!row.ptype.isEmpty()) byClass_[row.ptype[0]].push_back(row);
  }
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override {
    ++reads;
    const auto found = byClass_.constFind(readingClass.character);
    if (found == byClass_.cend()) return;
    for (const ReadingRow& r : *found) row(r.hanWord, r.hanSpell);
  }
  QString ContentStamp() const override { return stamp; }

  int reads = 0;
  QString stamp;  // empty: the source cannot tell whether it changed

 private:
  QHash<QChar, std::vector<ReadingRow>> byClass_;
};

}  // namespace ravlek::test
