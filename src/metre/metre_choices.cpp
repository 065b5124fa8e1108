#include "metre/metre_choices.h"

#include "base/characters.h"
#include "base/error.h"
#include "dictionary/class_readings.h"
#include "metre/metre_check.h"
#include "metre/metre_readings.h"
#include "metre/metre_report.h"

namespace ravlek::metre {

bool MetreSources::Load() {
  if (!problem_.isEmpty()) return false;
  if (!table_ && kept_ && kept_->table && kept_->appFolder == appFolder_) table_ = kept_->table;
  if (!table_) {
    try {
      table_ = std::make_shared<const PingshuiTable>(PingshuiTable::FromAppFolder(appFolder_));
    } catch (const Error& error) {
      problem_ = error.message();
      return false;
    }
    if (kept_) {
      kept_->appFolder = appFolder_;
      kept_->table = table_;
    }
  }
  LoadReadings();
  return true;
}

const CharacterReadings& MetreSources::LoadReadings() {
  if (!readings_) {
    const QString stamp = kept_ ? source_.ContentStamp() : QString();
    if (!stamp.isEmpty() && kept_->readings && kept_->stamp == stamp) {
      readings_ = kept_->readings;
    } else {
      readings_ = std::make_shared<const CharacterReadings>(CharacterReadings::FromSource(source_));
      if (kept_) {
        kept_->stamp = stamp;
        kept_->readings = stamp.isEmpty() ? nullptr : readings_;
      }
    }
  }
  return *readings_;
}

QList<QList<MetrePlace>> PoemMetrePlaces(const QStringList& poem, MetreSources& sources,
                                         const QList<QStringList>* preferred) {
  if (!MayBeRegulatedPoem(poem) || !sources.Load()) return {};
  QList<QList<MetrePlace>> places =
      MetrePlaces(poem, sources.Table(), sources.Readings(), preferred);
  for (const QList<MetrePlace>& line : places) {
    for (const MetrePlace& place : line) {
      if (!place.reading.isEmpty()) return places;
    }
  }
  return {};
}

QList<QStringList> PoemMetreReadings(const QStringList& poem, MetreSources& sources,
                                     const QList<QStringList>* preferred) {
  if (!MayBeRegulatedPoem(poem) || !sources.Load()) return {};
  QList<QStringList> readings = MetreReadings(poem, sources.Table(), sources.Readings(), preferred);
  if (!HasMetreReadings(readings)) return {};
  return readings;
}

void AddPoemMetreReadings(const PoemLines& poem, MetreSources& sources, QList<QStringList>& first) {
  if (!poem.regularShape || !sources.Load()) return;
  PoemCheck check = CheckPoem(poem.lines, sources.Table(), &sources.Readings());
  if (!check.Regulated()) return;
  // The characters come in the order of the text: one walk along each line finds their indexes.
  // Every line of a poem with readings holds an entry per character, as MetreReadings gives them.
  int line = -1;
  qsizetype pos = 0;
  qsizetype index = 0;
  for (Verse& verse : check.verses) {
    for (MetreCharacter& c : verse.characters) {
      if (c.reading.isEmpty() || c.line >= first.size()) continue;
      if (line < 0) {
        for (qsizetype i = 0; i < poem.lines.size() && i < first.size(); ++i) {
          qsizetype characters = 0;
          for (qsizetype at = 0; at < poem.lines[i].size();
               at += CharacterLength(poem.lines[i], at)) {
            ++characters;
          }
          if (first[i].size() < characters) first[i].resize(characters);
        }
      }
      if (c.line != line) {
        line = c.line;
        pos = 0;
        index = 0;
      }
      const QString& text = poem.lines[line];
      while (pos < c.position) {
        pos += CharacterLength(text, pos);
        ++index;
      }
      QString& chosen = first[line][index];
      if (chosen.isEmpty()) chosen = std::move(c.reading);
    }
  }
}

QList<QStringList> ChosenMetreReadings(const QStringList& lines, MetreSources& sources) {
  QList<QStringList> result;
  for (const PoemLines& poem : SplitPoems(lines)) {
    if (!poem.regularShape) continue;
    const QList<QStringList> readings = PoemMetreReadings(poem.lines, sources);
    if (!sources.Problem().isEmpty()) return {};
    if (readings.isEmpty()) continue;
    if (result.isEmpty()) result.resize(lines.size());
    for (qsizetype i = 0; i < readings.size(); ++i) result[poem.firstLine + i] = readings[i];
  }
  return result;
}

}  // namespace ravlek::metre
