#pragma once
// A reading source over rows held in memory: the rows of a class are those whose Ptype begins
// with the class character, in the order given. Counts the class reads.

#include <QString>
#include <vector>

#include "romanize/class_readings.h"
#include "romanize/reading_classes.h"

namespace ravlek::test {

struct ReadingRow {
  QString hanWord;
  QString hanSpell;
  QString ptype;
};

class MemoryReadingSource : public ClassReadingSource {
 public:
  explicit MemoryReadingSource(std::vector<ReadingRow> rows) : rows_(std::move(rows)) {}
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override {
    ++reads;
    for (const ReadingRow& r : rows_)
      if (r.ptype.startsWith(readingClass.character)) row(r.hanWord, r.hanSpell);
  }
  int reads = 0;

 private:
  std::vector<ReadingRow> rows_;
};

}  // namespace ravlek::test
