#pragma once
// Turns lines of text into romanised lines: for every character the readings of each consulted
// class, grouped and bracketed by class; a character without readings is copied; U+0020 is
// dropped. The classes are read once per run and indexed by character.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <memory>
#include <utility>
#include <vector>

#include "dictionary/reading_classes.h"

namespace ravlek {

class ClassReadingSource;
class ClassIndexCache;
struct ClassIndex;

class Romanizer {
 public:
  // Reports the number of characters of the current line done so far.
  using ProgressFn = std::function<void(qsizetype charactersDone)>;

  // With a cache, the classes' indexes are taken from it (and kept in it) instead of read at
  // every run; the cache must outlive the romanizer and belong to this source alone.
  Romanizer(ClassReadingSource& source, const ConversionOptions& options,
            ClassIndexCache* cache = nullptr);

  // The romanised line of one line. The classes are read on the first character that needs them.
  QString RomanizeLine(QStringView line, const ProgressFn& progress = {});
  // The same, with a reading to put first for some characters: `firstReadings` holds one entry
  // per character of the line (a surrogate pair is one; missing entries count as empty). In each
  // group that holds a character's entry, that reading moves to the front of the group; the
  // other readings keep their order and nothing is left out. An empty entry changes nothing.
  QString RomanizeLine(QStringView line, const QStringList& firstReadings,
                       const ProgressFn& progress = {});
  // The romanised lines of several lines, one for each.
  QStringList RomanizeLines(const QStringList& lines);
  // The consulted classes (their Ptype characters, in consultation order) that delivered no row.
  // Empty as long as no character has needed the classes.
  QString EmptyClasses() const;

 private:
  void LoadClasses();
  const QString& PieceOf(QStringView character, char32_t code);
  const QString& PieceOf(QStringView character, char32_t code, const QString& first);
  QString BuildPiece(QStringView character, char32_t code, const QString& first = {}) const;

  ClassReadingSource& source_;
  ConversionOptions options_;
  ClassIndexCache* cache_;
  std::vector<const ReadingClass*> classes_;
  QStringList openings_;  // per consulted class, with or without the class mark
  QStringList closings_;
  bool loaded_ = false;
  // Per consulted class: character → its readings in row order, joined by the separator.
  std::vector<std::shared_ptr<const ClassIndex>> readings_;
  QString emptyClasses_;
  // Character → everything written for it (groups or the character, then the separator): the
  // common Han blocks in an array, found without hashing, the rest hashed.
  static constexpr char32_t kDenseFirst = 0x3400;
  static constexpr char32_t kDenseEnd = 0xA000;
  std::vector<qint32> denseIndex_;    // per code: its place in densePieces_, -1 when not made
  std::vector<QString> densePieces_;  // in the order first met, so that common ones lie close
  QHash<char32_t, QString> pieces_;
  // The same with a reading put first: by the character, each reading put first and its piece
  // (a character has few readings: looked through, not hashed).
  QHash<char32_t, std::vector<std::pair<QString, QString>>> firstPieces_;
};

// The whole conversion of one run.
QStringList RomanizeLines(const QStringList& lines, const ConversionOptions& options,
                          ClassReadingSource& source);

}  // namespace ravlek
