#pragma once
// Where the conversion gets its readings: the rows of one reading class, in the store's order.

#include <QString>
#include <QStringView>
#include <functional>

namespace ravlek {

class TFDQuery;
struct ReadingClass;

// Delivers every row of one class (HanWord, HanSpell; null read as empty) in row order. The texts
// are views valid during the call only: nothing is copied for a row the conversion passes over.
class ClassReadingSource {
 public:
  using RowFn = std::function<void(QStringView hanWord, QStringView hanSpell)>;
  virtual ~ClassReadingSource() = default;
  virtual void ReadClass(const ReadingClass& readingClass, const RowFn& row) = 0;
  // A text that changes whenever the rows may have changed; empty when the source cannot tell,
  // and then what was read from it is never kept for a later run.
  virtual QString ContentStamp() const { return QString(); }
};

// Reads a class through the conversion's dataset: close, set the class's statement, filter off,
// open, walk the rows, close. The dataset is left closed holding the last class's statement.
class DatasetClassReadingSource : public ClassReadingSource {
 public:
  explicit DatasetClassReadingSource(TFDQuery& query) : query_(query) {}
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override;
  QString ContentStamp() const override;

 private:
  TFDQuery& query_;
};

}  // namespace ravlek
