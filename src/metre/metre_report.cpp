#include "metre/metre_report.h"

namespace ravlek::metre {

namespace {

QString RhymeOf(const Verse& verse) {
  for (const MetreCharacter& c : verse.characters) {
    if (c.rhymePosition && c.rhyme >= 0) return RhymeGroupName(c.rhyme);
  }
  return QString();
}

}  // namespace

QString MetreTsv(const PoemCheck& check, int number) {
  QString out;
  out.reserve(check.verses.size() * 64 + 32);
  const QString n = QString::number(number);
  for (qsizetype k = 0; k < check.verses.size(); ++k) {
    const Verse& verse = check.verses[k];
    out += n;
    out += u'\t';
    out += QString::number(k + 1);
    out += u'\t';
    for (const MetreCharacter& c : verse.characters) c.AppendTo(out);
    out += u'\t';
    for (const MetreCharacter& c : verse.characters) out += ToneCharacter(c.tone);
    out += u'\t';
    out += RhymeOf(verse);
    out += u'\t';
    for (qsizetype i = 0; i < verse.characters.size(); ++i) {
      if (i > 0) out += u' ';
      const QString& reading = verse.characters[i].reading;
      if (reading.isEmpty()) {
        out += u'-';
      } else {
        out += reading;
      }
    }
    out += u'\n';
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
  if (check.Prose()) return QStringLiteral("不論格律");
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
      verse.characters[p].AppendTo(characters);
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
  if (const QString end = PoemEndText(check.end); !end.isEmpty()) out += end + u'\n';
  for (const Verse& verse : check.verses) {
    out += verse.Text() + u'\n';
    if (check.Prose()) continue;
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
      if (c.source == ToneSource::Readings && !fromReadings.contains(c.Text())) {
        c.AppendTo(fromReadings);
      }
    }
  }
  if (!fromReadings.isEmpty()) {
    out += QStringLiteral("平水韻未收「%1」：平仄依其讀音\n").arg(fromReadings);
  }
  return out;
}

}  // namespace ravlek::metre
