#include "romanize/ruby_html.h"

#include "dictionary/tailo.h"

namespace ravlek {

namespace {

QString Pt(double value) {
  return QString::number(value, 'f', 1) + QStringLiteral("pt");
}

QString FaceList(const auto& faces, const char* generic) {
  QString list;
  for (const char* face : faces) list += QLatin1Char('"') + QLatin1String(face) + "\", ";
  return list + QLatin1String(generic);
}

QString Style(const HandoutStyle& style) {
  const double c = style.characterPt;
  const double r = style.readingPt;
  return QStringLiteral(
             "@page { size: A4; margin: %1mm %2mm %3mm %2mm; }\n"
             "html { background: #fff; color: #000; }\n"
             "body { font-family: %4; font-size: %5; margin: 1.5em 2em; }\n"
             ".row { white-space: nowrap; line-height: 1.15; padding-top: %6; margin: 0 0 %7; "
             "break-inside: avoid; }\n"
             ".row.title { text-align: center; font-size: %8; font-weight: bold; }\n"
             ".row.author { text-align: center; font-size: %9; }\n"
             ".row.blank { height: %10; }\n"
             ".c { display: inline-block; width: var(--w); text-align: center; }\n"
             "ruby { ruby-position: over; ruby-align: center; }\n"
             "rt { font-family: %11; font-size: %12; line-height: 1.2; font-weight: normal; "
             "color: #1d4e89; }\n"
             "@media print {\n  body { margin: 0; }\n  rt { color: #000; }\n}\n")
      .arg(kMarginTopMm)
      .arg(kMarginSideMm)
      .arg(kMarginBottomMm)
      .arg(FaceList(kCharacterFaces, "serif"), Pt(c), Pt(0.3 * r), Pt(0.45 * c),
           Pt(CharacterPtOf(RubyLineKind::Title, style)),
           Pt(CharacterPtOf(RubyLineKind::Author, style)), Pt(1.15 * c + 1.2 * r),
           FaceList(kReadingFaces, "sans-serif"))
      .arg(Pt(r));
}

const char* RowClass(const HandoutRow& row) {
  if (row.cells.empty()) return "row blank";
  switch (row.kind) {
    case RubyLineKind::Title:
      return "row title";
    case RubyLineKind::Author:
      return "row author";
    case RubyLineKind::Body:
      break;
  }
  return "row";
}

QString ShownSummary(const RubyCell& cell, const HandoutStyle& style) {
  return style.toneMarks ? ReadingsSummary(cell.readings, &ToneMarkedTaiLo)
                         : ReadingsSummary(cell.readings);
}

}  // namespace

QString HtmlEscaped(QStringView text) {
  QString out;
  out.reserve(text.size());
  for (const QChar c : text) {
    switch (c.unicode()) {
      case u'&':
        out += QStringLiteral("&amp;");
        break;
      case u'<':
        out += QStringLiteral("&lt;");
        break;
      case u'>':
        out += QStringLiteral("&gt;");
        break;
      case u'"':
        out += QStringLiteral("&quot;");
        break;
      default:
        out += c;
    }
  }
  return out;
}

namespace {

QString Head(const QString& title, const HandoutStyle& style) {
  return QStringLiteral(
             "<!DOCTYPE html>\n<html lang=\"zh-Hant-TW\">\n<head>\n<meta "
             "charset=\"utf-8\">\n<title>") +
         HtmlEscaped(title) + QStringLiteral("</title>\n<style>\n") + Style(style) +
         QStringLiteral("</style>\n</head>\n<body>\n");
}

const QString kDefaultTitle = QStringLiteral("注音");

}  // namespace

QString LineTitle(const RubyLine& line) {
  QString plain;
  for (const RubyCell& cell : line.cells) plain += cell.character;
  return plain.trimmed();
}

QString HandoutTitle(const std::vector<RubyLine>& text) {
  for (const RubyLine& line : text) {
    const QString plain = LineTitle(line);
    if (!plain.isEmpty()) return plain;
  }
  return kDefaultTitle;
}

QString HandoutFileName(const std::vector<RubyLine>& text) {
  const RubyLine* named = nullptr;
  for (const RubyLine& line : text) {
    if (line.kind == RubyLineKind::Title) named = &line;
    if (named) break;
  }
  for (const RubyLine& line : text) {
    if (named) break;
    for (const RubyCell& cell : line.cells) {
      if (!cell.character.trimmed().isEmpty()) named = &line;
    }
  }
  QString name;
  qsizetype characters = 0;
  if (named) {
    for (const RubyCell& cell : named->cells) {
      if (characters == 40) break;
      const QList<uint> codes = cell.character.toUcs4();
      if (codes.isEmpty()) continue;
      // Punctuation makes poor file names, and / or a leading dot a wrong one.
      const char32_t code = codes.front();
      if (QChar::isPunct(code) || QChar::isSymbol(code) || QChar::isSpace(code) || code == 0x3000) {
        continue;
      }
      name += cell.character;
      ++characters;
    }
  }
  return name.isEmpty() ? QStringLiteral("注音") : name;
}

RubyHtmlWriter::RubyHtmlWriter(const HandoutStyle& style, Out out)
    : style_(style), out_(std::move(out)) {}

void RubyHtmlWriter::Rows(const RubyLine& line, QString& html) const {
  std::vector<HandoutRow> rows;
  LayOutLine(line, style_, rows);
  for (const HandoutRow& row : rows) {
    html += QStringLiteral("<div class=\"") + QLatin1String(RowClass(row)) + QLatin1Char('"');
    if (!row.cells.empty()) html += QStringLiteral(" style=\"--w: ") + Pt(row.cellPt) + "\"";
    html += QLatin1Char('>');
    for (const RubyCell* cell : row.cells) {
      html += QStringLiteral("<span class=\"c\">");
      if (cell->reading.isEmpty()) {
        html += HtmlEscaped(cell->character);
      } else {
        html += QStringLiteral("<ruby title=\"") + HtmlEscaped(ShownSummary(*cell, style_)) +
                QStringLiteral("\">") + HtmlEscaped(cell->character) + QStringLiteral("<rt>") +
                HtmlEscaped(ShownReading(cell->reading, style_)) + QStringLiteral("</rt></ruby>");
      }
      html += QStringLiteral("</span>");
    }
    html += QStringLiteral("</div>\n");
  }
}

void RubyHtmlWriter::AddLine(const RubyLine& line) {
  if (!headWritten_) {
    const QString title = LineTitle(line);
    if (title.isEmpty()) {
      Rows(line, waiting_);
      return;
    }
    QString html = Head(title, style_) + waiting_;
    waiting_.clear();
    headWritten_ = true;
    Rows(line, html);
    out_(html);
    return;
  }
  QString html;
  Rows(line, html);
  out_(html);
}

void RubyHtmlWriter::Finish() {
  QString html;
  if (!headWritten_) {
    html = Head(kDefaultTitle, style_) + waiting_;
    waiting_.clear();
    headWritten_ = true;
  }
  html += QStringLiteral("</body>\n</html>\n");
  out_(html);
}

QString RubyHtmlDocument(const std::vector<RubyLine>& text, const HandoutStyle& style) {
  QString html;
  RubyHtmlWriter writer(style, [&html](const QString& part) { html += part; });
  for (const RubyLine& line : text) writer.AddLine(line);
  writer.Finish();
  return html;
}

}  // namespace ravlek
