#include "dictionary/fanqie_synthesis_text.h"

#include <QRegularExpression>
#include <QStringList>
#include <algorithm>

#include "dictionary/fanqie.h"
#include "dictionary/literary_readings.h"

namespace ravlek {

QString FanqieSynthesisLine(const FanqieNotation& notation, const LiteraryReadings& readings,
                            const QString& entry) {
  const QList<LiteraryReading> upper = readings.Find(notation.upper);
  const QList<LiteraryReading> lower = readings.Find(notation.lower);
  QList<FanqieCandidate> candidates =
      SynthesizeFanqie(notation.upper, upper, notation.lower, lower);
  if (!entry.isEmpty()) {
    // A lower character with readings in two tones (籠 long2, long5) gives two candidates; the
    // entry's own reading tells which one the notation meant.
    QStringList own;
    for (const LiteraryReading& reading : readings.Find(entry)) own << reading.spell;
    std::stable_partition(candidates.begin(), candidates.end(),
                          [&own](const FanqieCandidate& c) { return own.contains(c.reading); });
  }
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

namespace {

// The character before `position`, past blanks, punctuation and the names of sources in
// brackets (東【唐韻】德紅切); empty when there is none.
QString EntryBefore(const QString& text, qsizetype position) {
  qsizetype end = position;
  while (end > 0) {
    if (text[end - 1] == u'】') {
      const qsizetype open = text.lastIndexOf(u'【', end - 1);
      if (open < 0) return {};
      end = open;
      continue;
    }
    const qsizetype start = QChar::isLowSurrogate(text[end - 1].unicode()) && end > 1 &&
                                    QChar::isHighSurrogate(text[end - 2].unicode())
                                ? end - 2
                                : end - 1;
    const QString character = text.mid(start, end - start);
    const char32_t code = character.toUcs4().value(0);
    if (!QChar::isSpace(code) && !QChar::isPunct(code) && !QChar::isSymbol(code) &&
        code != 0x3000) {
      return character;
    }
    end = start;
  }
  return {};
}

// "則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 · k→kh (次清送氣) ⇒ tsan3" in words.
QString ExplainCandidate(const QString& steps) {
  const qsizetype arrow = steps.lastIndexOf(QStringLiteral(" ⇒ "));
  if (arrow < 0) return steps;
  const QString reading = steps.mid(arrow + 3);
  const QStringList parts = steps.left(arrow).split(QStringLiteral(" · "));
  const QStringList initial = parts.value(0).split(u' ');
  const QStringList final = parts.value(1).split(u' ');
  const QStringList tone = parts.value(2).split(QStringLiteral(" → "));
  if (parts.size() < 3 || initial.size() != 2 || final.size() != 3 || tone.size() != 2)
    return steps;
  QStringList words;
  if (initial[1] == u"∅-")
    words << QStringLiteral("上字「%1」無聲母").arg(initial[0]);
  else
    words << QStringLiteral("上字「%1」取聲母 %2").arg(initial[0], initial[1]);
  words << QStringLiteral("下字「%1」取韻母 %2，聲調屬%3聲").arg(final[0], final[1], final[2]);
  // "則 全清" names the initial's class; "則 tsik4 陰" the upper reading, where the class is not
  // known.
  const QString source = tone[0].mid(initial[0].size() + 1);
  const QStringList sourceParts = source.split(u' ');
  QString toneWords = tone[1];
  toneWords.replace(QRegularExpression(QStringLiteral(" (\\d)$")), QStringLiteral("（第 \\1 調）"));
  if (sourceParts.size() == 2)
    words
        << QStringLiteral("上字讀 %1，歸%2調 → %3").arg(sourceParts[0], sourceParts[1], toneWords);
  else
    words << QStringLiteral("上字聲母屬%1 → %2").arg(source, toneWords);
  for (qsizetype i = 3; i < parts.size(); ++i)
    words << QStringLiteral("再依規則：%1").arg(parts[i]);
  words << QStringLiteral("拼得 %1").arg(reading);
  return words.join(QStringLiteral("；")) + u'。';
}

}  // namespace

QString FanqieStepsLegend() {
  return QStringList{QStringLiteral("步驟記號："),
                     QStringLiteral("「則 ts-」上字及其聲母（∅ 表無聲母）"),
                     QStringLiteral("「旰 -an 去」下字、其韻母及聲調類（平上去入）"),
                     QStringLiteral("「→」依上字聲母的清濁定陰陽與調號"),
                     QStringLiteral("「·」分隔各步"),
                     QStringLiteral("「⇒」拼出的讀音")}
      .join(u'\n');
}

QString ExplainFanqieSynthesisLine(const QString& line) {
  const QStringList columns = line.split(u'\t');
  if (columns.size() != 3) return line;
  QStringList explained;
  for (const QString& steps : columns[2].split(QStringLiteral("; ")))
    explained << ExplainCandidate(steps);
  return columns[0] + QStringLiteral("：") + explained.join(u'\n');
}

QString SynthesizeFanqieText(const QString& text, const LiteraryReadings& readings) {
  QString output;
  for (const FanqieNotation& notation : FindFanqieNotations(text))
    output += FanqieSynthesisLine(notation, readings, EntryBefore(text, notation.position));
  return output;
}

}  // namespace ravlek
