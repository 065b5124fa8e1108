#pragma once
// A reading source that hands on another source's rows with their readings in tone marks
// (tsàn instead of tsan3), for output written as books print it.

#include "dictionary/class_readings.h"

namespace ravlek {

class ToneMarkedReadingSource : public ClassReadingSource {
 public:
  explicit ToneMarkedReadingSource(ClassReadingSource& source) : source_(source) {}
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override;

 private:
  ClassReadingSource& source_;
};

}  // namespace ravlek
