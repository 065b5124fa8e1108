#include "core_calls.h"

#include <QSet>

#include "base/characters.h"
#include "dictionary/tailo.h"
#include "dictionary_snapshot.h"
#include "metre/metre_choices.h"
#include "metre/metre_report.h"
#include "romanize/conversion.h"
#include "romanize/romanizer.h"
#include "romanize/tone_marked_readings.h"

namespace ravlek::server {

namespace {

// Hands on only the rows of the characters of a text: the handout's cells need no others, and
// skipping the rest saves building an index of the whole dictionary for every request.
class TextCharacterSource : public ClassReadingSource {
 public:
  TextCharacterSource(ClassReadingSource& source, const QStringList& lines) : source_(source) {
    for (const QString& line : lines) {
      for (qsizetype i = 0; i < line.size();) {
        const qsizetype length = CharacterLength(line, i);
        codes_.insert(CharacterCode(line, i, length));
        i += length;
      }
    }
  }
  void ReadClass(const ReadingClass& readingClass, const RowFn& row) override {
    source_.ReadClass(readingClass, [&](QStringView hanWord, QStringView hanSpell) {
      if (hanWord.isEmpty()) return;
      const qsizetype length = CharacterLength(hanWord, 0);
      if (length != hanWord.size() || !codes_.contains(CharacterCode(hanWord, 0, length))) return;
      row(hanWord, hanSpell);
    });
  }

 private:
  ClassReadingSource& source_;
  QSet<char32_t> codes_;
};

// The readings the metre chooses for the lines, from the tables and readings read with the
// snapshot (a copy of what it keeps is used, not read again), and in `problem` why the metre chose
// none: the snapshot's tables unreadable, or what reading them now found.
FirstReadings MetreReadings(const DictionarySnapshot& snapshot, ClassReadingSource& source,
                            const QStringList& lines, QString& problem) {
  metre::KeptMetreSources kept = snapshot.metre;
  metre::MetreSources metreSources(snapshot.appDir, source, &kept);
  MetreChooser metreChooser(metreSources);
  FirstReadings chosen = ChooseFirstReadings(lines, {&metreChooser});
  problem = snapshot.metreProblem.isEmpty() ? metreSources.Problem() : snapshot.metreProblem;
  return chosen;
}

}  // namespace

ConvertedText ConvertText(const DictionarySnapshot& snapshot, ConversionCaches& caches,
                          const QStringList& lines, const ConversionOptions& options,
                          bool toneMarks, const Checkpoint& checkpoint) {
  ConvertedText out;
  SnapshotClassSource source(snapshot);
  const FirstReadings chosen = MetreReadings(snapshot, source, lines, out.metreProblem);
  ToneMarkedReadingSource toneMarkedSource(source);
  Romanizer romanizer(toneMarks ? static_cast<ClassReadingSource&>(toneMarkedSource) : source,
                      options, toneMarks ? &caches.toneMarked : &caches.numeric);
  for (qsizetype i = 0; i < lines.size(); ++i) {
    if (checkpoint) checkpoint();
    QStringList first = chosen.value(i);
    if (toneMarks) {
      for (QString& reading : first) {
        if (!reading.isEmpty()) reading = ToneMarkedTaiLo(reading);
      }
    }
    out.romanized.append(romanizer.RomanizeLine(lines[i], first));
  }
  out.metre = PositionChoices(lines, chosen);
  TextCharacterSource characters(source, lines);
  RubyTextOptions textOptions;
  textOptions.conversion = options;
  out.cells = BuildRubyText(lines, textOptions, characters, {}, out.metre);
  return out;
}

QList<metre::PoemCheck> CheckPoems(const DictionarySnapshot& snapshot, const QStringList& lines,
                                   const Checkpoint& checkpoint) {
  QList<metre::PoemCheck> checks;
  if (!snapshot.metre.table || !snapshot.metre.readings) return checks;
  for (const metre::PoemLines& poem : metre::SplitPoems(lines)) {
    if (checkpoint) checkpoint();
    checks.append(
        metre::CheckPoem(poem.lines, *snapshot.metre.table, snapshot.metre.readings.get()));
  }
  return checks;
}

std::vector<RubyLine> HandoutText(const DictionarySnapshot& snapshot, const QStringList& lines,
                                  const RubyTextOptions& options, const ReadingChoices& choices,
                                  QString& metreProblem) {
  SnapshotClassSource source(snapshot);
  const ReadingChoices metre =
      PositionChoices(lines, MetreReadings(snapshot, source, lines, metreProblem));
  TextCharacterSource characters(source, lines);
  return BuildRubyText(lines, options, characters, choices, metre);
}

}  // namespace ravlek::server
