#include "metre/metre_html.h"

#include "metre/metre_report.h"

namespace ravlek::metre {

namespace {

const char* ToneColour(Tone tone) {
  switch (tone) {
    case Tone::Level:
      return "#1f5fbf";
    case Tone::Oblique:
      return "#b0261c";
    case Tone::Either:
      break;
  }
  return "#707070";
}

bool InFault(const PoemCheck& check, int verse, int position) {
  for (const Finding& fault : check.faults) {
    if (fault.verse == verse && fault.positions.contains(position)) return true;
  }
  return false;
}

QString PoemHtml(const PoemCheck& check, int number) {
  QString html = QStringLiteral("<h3>第%1首").arg(number);
  if (!check.title.isEmpty()) html += QStringLiteral("　") + check.title.toHtmlEscaped();
  html += QStringLiteral("　") + check.form;
  if (check.rhyme >= 0) html += QStringLiteral("　韻：") + RhymeGroupName(check.rhyme);
  const bool clean = check.Regulated() && check.faults.isEmpty();
  html +=
      QStringLiteral("　<span style=\"color:%1\">%2</span></h3>")
          .arg(clean ? QStringLiteral("#1a7f37") : QStringLiteral("#b0261c"), FaultSummary(check));
  if (const QString end = PoemEndText(check.end); !end.isEmpty()) {
    html += QStringLiteral("<p>%1</p>").arg(end);
  }
  if (check.Prose()) {
    // Prose has no columns to line up: its 句 as they are.
    QStringList verses;
    for (const Verse& verse : check.verses) verses.append(verse.Text().toHtmlEscaped());
    return html + QStringLiteral("<p>") + verses.join(QStringLiteral("，")) +
           QStringLiteral("</p>");
  }
  html += QStringLiteral("<table cellspacing=\"0\" cellpadding=\"3\">");
  for (int k = 0; k < check.verses.size(); ++k) {
    const Verse& verse = check.verses[k];
    QString characters;
    QString symbols;
    QString rhyme;
    for (int p = 0; p < verse.characters.size(); ++p) {
      const MetreCharacter& c = verse.characters[p];
      const QString ground =
          InFault(check, k, p) ? QStringLiteral(" bgcolor=\"#ffe27a\"") : QString();
      characters += QStringLiteral(
                        "<td align=\"center\"%1><span style=\"font-size:x-large\">%2"
                        "</span></td>")
                        .arg(ground, c.Text().toHtmlEscaped());
      const QString symbol = QString(ToneSymbol(c.tone)) + ToneCharacter(c.tone) +
                             (c.rhymePosition ? QString(QChar(kRhymeSymbol)) : QString());
      symbols += QStringLiteral("<td align=\"center\"%1><span style=\"color:%2\">%3</span></td>")
                     .arg(ground, QLatin1String(ToneColour(c.tone)), symbol);
      if (c.rhymePosition && c.rhyme >= 0) rhyme = RhymeGroupName(c.rhyme);
    }
    html += QStringLiteral("<tr><td rowspan=\"2\">%1</td>%2<td rowspan=\"2\">%3</td></tr>")
                .arg(k + 1)
                .arg(characters, rhyme.isEmpty() ? QString() : QStringLiteral("韻 ") + rhyme);
    html += QStringLiteral("<tr>") + symbols + QStringLiteral("</tr>");
  }
  html += QStringLiteral("</table>");
  if (!check.faults.isEmpty() || !check.allowed.isEmpty()) {
    html += QStringLiteral("<ul>");
    for (const Finding& fault : check.faults) {
      html += QStringLiteral("<li><span style=\"color:#b0261c\">%1</span></li>")
                  .arg(FindingText(check, fault).toHtmlEscaped());
    }
    for (const Finding& allowed : check.allowed) {
      html += QStringLiteral("<li>%1（不算失律）</li>")
                  .arg(FindingText(check, allowed).toHtmlEscaped());
    }
    html += QStringLiteral("</ul>");
  }
  return html;
}

}  // namespace

QChar ToneSymbol(Tone tone) {
  switch (tone) {
    case Tone::Level:
      return u'○';
    case Tone::Oblique:
      return u'●';
    case Tone::Either:
      break;
  }
  return u'◐';
}

QString MetreHtml(const QList<PoemCheck>& checks) {
  QString html = QStringLiteral(
      "<p>○平　●仄　◐中（可平可仄）　◎韻腳　<span style=\"background-color:#ffe27a\">黃底</span>"
      "為失律之字</p><p>以空行分首；未隔空行時，遇句長不同之行、似題之行或散文亦另起一首。</p>");
  if (checks.isEmpty()) return html + QStringLiteral("<p>沒有詩句可檢查。</p>");
  for (int i = 0; i < checks.size(); ++i) html += PoemHtml(checks[i], i + 1);
  return html;
}

}  // namespace ravlek::metre
