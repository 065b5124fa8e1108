#include "metre/metre_choices.h"

#include "base/characters.h"
#include "base/error.h"
#include "metre/metre_check.h"
#include "metre/metre_readings.h"
#include "metre/metre_report.h"
#include "romanize/class_readings.h"

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
  return true;
}

QList<QStringList> ChosenMetreReadings(const QStringList& lines, MetreSources& sources) {
  QList<QStringList> result;
  for (const PoemLines& poem : SplitPoems(lines)) {
    if (!MayBeRegulatedPoem(poem.lines)) continue;
    if (!sources.Load()) return {};
    const QList<QStringList> readings =
        MetreReadings(poem.lines, sources.Table(), sources.Readings());
    if (!HasMetreReadings(readings)) continue;
    if (result.isEmpty()) result.resize(lines.size());
    for (qsizetype i = 0; i < readings.size(); ++i) result[poem.firstLine + i] = readings[i];
  }
  return result;
}

ReadingChoices MetreChoices(const QStringList& lines, const QList<QStringList>& readings) {
  ReadingChoices choices;
  qsizetype position = 1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    static const QStringList none;
    const QStringList& chosen = i < readings.size() ? readings[i] : none;
    qsizetype k = 0;
    for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos), ++k) {
      if (k < chosen.size() && !chosen[k].isEmpty()) choices.insert(position, chosen[k]);
      ++position;
    }
    ++position;  // the line end
  }
  return choices;
}

}  // namespace ravlek::metre
