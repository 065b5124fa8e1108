#include "romanize/romanizer.h"

#include <array>
#include <optional>

#include "base/characters.h"
#include "dictionary/class_readings.h"
#include "romanize/class_index.h"

namespace ravlek {

Romanizer::Romanizer(ClassReadingSource& source, const ConversionOptions& options,
                     ClassIndexCache* cache)
    : source_(source), options_(options), cache_(cache), classes_(ConsultedClasses(options)) {
  // The pieces around each group are decoded once per run, not once per character.
  for (const ReadingClass* readingClass : classes_) {
    openings_.append(QString::fromUtf8(options_.classMarks ? readingClass->openingWithMark
                                                           : readingClass->openingWithoutMark));
    closings_.append(QString::fromUtf8(readingClass->closing));
  }
}

void Romanizer::LoadClasses() {
  // One stamp for the run: every class is taken as of the same contents.
  const QString stamp = cache_ ? source_.ContentStamp() : QString();
  readings_.clear();
  emptyClasses_.clear();
  for (const ReadingClass* readingClass : classes_) {
    readings_.push_back(
        cache_ ? cache_->Get(source_, *readingClass, stamp)
               : std::make_shared<const ClassIndex>(ReadClassIndex(source_, *readingClass)));
    // A class without rows changes nothing in the conversion: the status line says so.
    if (!readings_.back()->hasRows) emptyClasses_ += readingClass->character;
  }
  loaded_ = true;
}

QString Romanizer::EmptyClasses() const {
  return emptyClasses_;
}

namespace {

// A group's readings (joined by the reading separator) with the first `first` moved to the front;
// nullptr when the group does not hold it or holds it first already.
std::optional<QString> WithReadingFirst(const QString& group, const QString& first) {
  const QStringList readings = group.split(kReadingSeparator);
  const qsizetype at = readings.indexOf(first);
  if (at <= 0) return std::nullopt;
  QStringList reordered = readings;
  reordered.move(at, 0);
  return reordered.join(kReadingSeparator);
}

}  // namespace

QString Romanizer::BuildPiece(QStringView character, char32_t code, const QString& first) const {
  // The groups are found first, so that the piece is allocated once at its full length.
  std::array<const QString*, 5> groups{};
  std::array<std::optional<QString>, 5> reordered;
  qsizetype length = options_.separator ? CharacterSeparator().size() : 0;
  bool found = false;
  for (size_t i = 0; i < classes_.size(); ++i) {
    const auto it = readings_[i]->readings.constFind(code);
    if (it == readings_[i]->readings.constEnd()) continue;
    found = true;
    groups[i] = &*it;
    if (!first.isEmpty()) {
      reordered[i] = WithReadingFirst(*it, first);
      if (reordered[i]) groups[i] = &*reordered[i];
    }
    const auto index = static_cast<qsizetype>(i);
    length += openings_[index].size() + it->size() + closings_[index].size();
  }
  if (!found) length += character.size();
  QString piece;
  piece.reserve(length);
  for (size_t i = 0; i < classes_.size(); ++i) {
    if (!groups[i]) continue;
    const auto index = static_cast<qsizetype>(i);
    piece += openings_[index];
    piece += *groups[i];
    piece += closings_[index];
  }
  if (!found) piece += character;
  if (options_.separator) piece += CharacterSeparator();
  return piece;
}

const QString& Romanizer::PieceOf(QStringView character, char32_t code) {
  if (code >= kDenseFirst && code < kDenseEnd) {
    if (denseIndex_.empty()) denseIndex_.assign(kDenseEnd - kDenseFirst, -1);
    qint32& index = denseIndex_[code - kDenseFirst];
    if (index < 0) {
      index = static_cast<qint32>(densePieces_.size());
      densePieces_.push_back(BuildPiece(character, code));
    }
    return densePieces_[size_t(index)];
  }
  auto it = pieces_.find(code);
  if (it == pieces_.end()) it = pieces_.insert(code, BuildPiece(character, code));
  return *it;
}

const QString& Romanizer::PieceOf(QStringView character, char32_t code, const QString& first) {
  std::vector<std::pair<QString, QString>>& pieces = firstPieces_[code];
  for (const auto& [reading, piece] : pieces) {
    if (reading == first) return piece;
  }
  pieces.emplace_back(first, BuildPiece(character, code, first));
  return pieces.back().second;
}

QString Romanizer::RomanizeLine(QStringView line, const ProgressFn& progress) {
  return RomanizeLine(line, QStringList(), progress);
}

QString Romanizer::RomanizeLine(QStringView line, const QStringList& firstReadings,
                                const ProgressFn& progress) {
  QString romanised;
  // Room for a piece of a few readings per character, so that the line is rarely moved.
  romanised.reserve(line.size() * 24);
  qsizetype done = 0;
  for (qsizetype pos = 0; pos < line.size();) {
    const qsizetype length = CharacterLength(line, pos);
    const qsizetype index = done++;
    if (progress) progress(done);
    if (!(length == 1 && line[pos] == u' ')) {
      if (!loaded_) LoadClasses();
      const QStringView character = line.mid(pos, length);
      const char32_t code = CharacterCode(line, pos, length);
      if (index < firstReadings.size() && !firstReadings[index].isEmpty()) {
        romanised += PieceOf(character, code, firstReadings[index]);
      } else {
        romanised += PieceOf(character, code);
      }
    }
    pos += length;
  }
  return romanised;
}

QStringList Romanizer::RomanizeLines(const QStringList& lines) {
  QStringList romanised;
  romanised.reserve(lines.size());
  for (const QString& line : lines) romanised.append(RomanizeLine(line));
  return romanised;
}

QStringList RomanizeLines(const QStringList& lines, const ConversionOptions& options,
                          ClassReadingSource& source) {
  return Romanizer(source, options).RomanizeLines(lines);
}

}  // namespace ravlek
