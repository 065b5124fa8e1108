#include "metre/metre_report.h"

namespace ravlek::metre {

namespace {

bool IsBlank(const QString& line) {
  for (QChar ch : line) {
    if (!ch.isSpace()) return false;
  }
  return true;
}

QString Readings(const Verse& verse) {
  QStringList readings;
  for (const MetreCharacter& c : verse.characters) {
    readings.append(c.reading.isEmpty() ? QStringLiteral("-") : c.reading);
  }
  return readings.join(u' ');
}

QString RhymeOf(const Verse& verse) {
  for (const MetreCharacter& c : verse.characters) {
    if (c.rhymePosition && c.rhyme >= 0) return RhymeGroupName(c.rhyme);
  }
  return QString();
}

}  // namespace

QList<PoemLines> SplitPoems(const QStringList& lines) {
  QList<PoemLines> poems;
  bool open = false;
  for (int i = 0; i < lines.size(); ++i) {
    if (IsBlank(lines[i])) {
      open = false;
      continue;
    }
    if (!open) poems.append(PoemLines{i, {}});
    open = true;
    poems.back().lines.append(lines[i]);
  }
  return poems;
}

QString MetreTsv(const PoemCheck& check, int number) {
  QString out;
  const QString n = QString::number(number);
  for (qsizetype k = 0; k < check.verses.size(); ++k) {
    const Verse& verse = check.verses[k];
    out += n + u'\t' + QString::number(k + 1) + u'\t' + verse.Text() + u'\t' + verse.Tones() +
           u'\t' + RhymeOf(verse) + u'\t' + Readings(verse) + u'\n';
  }
  QString faults;
  if (check.Regulated()) {
    faults = check.faults.isEmpty() ? QStringLiteral("合律") : check.FaultNames().join(u',');
  }
  out += QStringLiteral("# poem\t") + n + u'\t' + check.form + u'\t' +
         (check.rhyme >= 0 ? RhymeGroupName(check.rhyme) : QString()) + u'\t' + faults + u'\n';
  return out;
}

QString FaultSummary(const PoemCheck& check) {
  if (!check.Regulated()) return QStringLiteral("古體不論");
  return check.faults.isEmpty() ? QStringLiteral("合律") : check.FaultNames().join(u'、');
}

QString FindingText(const PoemCheck& check, const Finding& finding) {
  const Verse& verse = check.verses[finding.verse];
  QString where = QStringLiteral("第%1句").arg(finding.verse + 1);
  if (!finding.positions.isEmpty()) {
    QStringList places;
    QString characters;
    for (int p : finding.positions) {
      places.append(QString::number(p + 1));
      characters += verse.characters[p].text;
    }
    where += QStringLiteral("第%1字「%2」").arg(places.join(u'、'), characters);
  }
  return where + finding.name;
}

QString MetrePlainText(const PoemCheck& check, int number) {
  QString out = QStringLiteral("第%1首").arg(number);
  if (!check.title.isEmpty()) out += QStringLiteral("　") + check.title;
  out += QStringLiteral("　") + check.form;
  if (check.rhyme >= 0) out += QStringLiteral("　韻：") + RhymeGroupName(check.rhyme);
  out += QStringLiteral("　") + FaultSummary(check) + u'\n';
  for (const Verse& verse : check.verses) {
    out += verse.Text() + u'\n';
    out += verse.Tones();
    const QString rhyme = RhymeOf(verse);
    if (!rhyme.isEmpty()) out += QStringLiteral("　韻 ") + rhyme;
    out += u'\n';
  }
  for (const Finding& fault : check.faults) out += FindingText(check, fault) + u'\n';
  for (const Finding& allowed : check.allowed) {
    out += FindingText(check, allowed) + QStringLiteral("（不算失律）") + u'\n';
  }
  QString fromReadings;
  for (const Verse& verse : check.verses) {
    for (const MetreCharacter& c : verse.characters) {
      if (c.source == ToneSource::Readings && !fromReadings.contains(c.text)) {
        fromReadings += c.text;
      }
    }
  }
  if (!fromReadings.isEmpty()) {
    out += QStringLiteral("平水韻未收「%1」：平仄依其讀音\n").arg(fromReadings);
  }
  return out;
}

}  // namespace ravlek::metre
