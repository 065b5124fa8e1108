#include "dictionary/fanqie_synthesis_text.h"

#include <QStringList>

#include "dictionary/fanqie.h"
#include "dictionary/literary_readings.h"

namespace ravlek {

QString FanqieSynthesisLine(const FanqieNotation& notation, const LiteraryReadings& readings) {
  const QList<LiteraryReading> upper = readings.Find(notation.upper);
  const QList<LiteraryReading> lower = readings.Find(notation.lower);
  const QList<FanqieCandidate> candidates =
      SynthesizeFanqie(notation.upper, upper, notation.lower, lower);
  QStringList predicted;
  QStringList steps;
  for (const FanqieCandidate& candidate : candidates) {
    predicted << candidate.reading;
    steps << candidate.steps;
  }
  if (candidates.isEmpty()) {
    // Say which side is missing: a character with no literary reading, or none that reads as a
    // Tâi-lô syllable.
    for (const auto& [character, list] :
         {std::pair{notation.upper, upper}, {notation.lower, lower}}) {
      if (list.isEmpty()) steps << character + QStringLiteral(" 無文讀音");
    }
    if (steps.isEmpty()) steps << QStringLiteral("無可拼之台羅音");
  }
  return notation.Text() + u'\t' + predicted.join(u'/') + u'\t' + steps.join(QStringLiteral("; ")) +
         QStringLiteral("\r\n");
}

QString SynthesizeFanqieText(const QString& text, const LiteraryReadings& readings) {
  QString output;
  for (const FanqieNotation& notation : FindFanqieNotations(text))
    output += FanqieSynthesisLine(notation, readings);
  return output;
}

}  // namespace ravlek
