#pragma once
// The readings the metre chooses, where the conversion (src/romanize/conversion.h) uses them: the
// tables and the dictionary's readings are read only once a text may hold regulated verse.

#include <QList>
#include <QString>
#include <QStringList>
#include <memory>
#include <optional>

#include "metre/character_readings.h"
#include "metre/metre_readings.h"
#include "metre/pingshui_table.h"
#include "metre/poem_splitter.h"

namespace ravlek {
class ClassReadingSource;
}

namespace ravlek::metre {

// What MetreSources read, kept from one run to the next (the conversion page's presses): the
// tables of the folder they came from, and the readings while the source's content stamp stays
// the same (a source without a stamp is read at every run).
struct KeptMetreSources {
  QString appFolder;
  std::shared_ptr<const PingshuiTable> table;
  QString stamp;
  std::shared_ptr<const CharacterReadings> readings;
};

// What the metre needs, read when first needed: the Pingshui tables of an application folder and
// every reading of the dictionary.
class MetreSources {
 public:
  // With `kept`, what it holds is used and what is read is kept there; it must outlive this.
  MetreSources(QString appFolder, ClassReadingSource& source, KeptMetreSources* kept = nullptr)
      : appFolder_(std::move(appFolder)), source_(source), kept_(kept) {}

  // Reads both once. False when the tables cannot be read (Problem() then says why, and the
  // readings are not chosen by the metre); a failure of the reading source is raised.
  bool Load();
  // Reads only the readings (a failure of the reading source is raised): what a phrase needs.
  const CharacterReadings& LoadReadings();
  const QString& Problem() const { return problem_; }
  const PingshuiTable& Table() const { return *table_; }
  const CharacterReadings& Readings() const { return *readings_; }

 private:
  QString appFolder_;
  ClassReadingSource& source_;
  KeptMetreSources* kept_;
  std::shared_ptr<const PingshuiTable> table_;
  std::shared_ptr<const CharacterReadings> readings_;
  QString problem_;
};

// The readings the metre chooses in one poem (as PoemSplitter gives it): one list per line, with
// one entry per character as MetreReadings() gives them. Empty when the poem has not the shape of
// regulated verse (then nothing is read) or the tables cannot be read. `preferred` as
// MetreReadings() takes it.
QList<QStringList> PoemMetreReadings(const QStringList& poem, MetreSources& sources,
                                     const QList<QStringList>* preferred = nullptr);
// The same with what decided each reading; empty as PoemMetreReadings() is.
QList<QList<MetrePlace>> PoemMetrePlaces(const QStringList& poem, MetreSources& sources,
                                         const QList<QStringList>* preferred = nullptr);

// The same for a poem as PoemSplitter gave it, set into `first` (one list per line of the poem,
// one entry per character): only entries still empty are set, and only when the poem has the
// regulated shape (`regularShape`, so its lines are not walked again to find it) and is checked
// regulated. The conversion's path: the poem is checked once, in place.
void AddPoemMetreReadings(const PoemLines& poem, MetreSources& sources, QList<QStringList>& first);

// The same over a whole text (poems as SplitPoems cuts them): one list per line, an empty list
// when no poem has the shape of regulated verse or the tables cannot be read.
QList<QStringList> ChosenMetreReadings(const QStringList& lines, MetreSources& sources);

}  // namespace ravlek::metre
