#pragma once
// Where the conversion gets its readings: the rows of one reading class, in the store's order.

#include <QString>
#include <functional>

namespace ravlek {

class TFDQuery;
struct ReadingClass;

// Delivers every row of one class (HanWord, HanSpell; null read as empty) in row order.
class ClassReadingSource {
 public:
  using RowFn = std::function<void(const QString& hanWord, const QString& hanSpell)>;
  virtual ~ClassReadingSource() = default;
  virtual void ReadClass(const ReadingClass& readingClass, const RowFn& row) = 0;
};

// Reads a class through the conversion's dataset: close, set the class's statement, filter off,
// open, walk the rows, close. The dataset is left closed holding the last class's statement.
class DatasetClassReadingSource : public ClassReadingSource {
 public:
  explicit DatasetClassReadingSource(TFDQuery& query) : query_(query) {}
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override;

 private:
  TFDQuery& query_;
};

}  // namespace ravlek
