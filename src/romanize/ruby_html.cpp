#include "romanize/ruby_html.h"

#include <QHash>
#include <vector>

#include "base/characters.h"
#include "romanize/class_readings.h"

namespace ravlek {

namespace {

// Sized for reading aloud on screen; on paper an A4 page with margins for binding.
constexpr const char* kStyle = R"(@page { size: A4; margin: 18mm 16mm 20mm 16mm; }
html { background: #fff; color: #000; }
body { font-family: "Noto Serif CJK TC", "AR PL UKai TW", serif; font-size: 22pt;
  line-height: 2.4; margin: 1.5em 2em; }
.line { margin: 0; white-space: pre-wrap; min-height: 2.4em; }
ruby { ruby-position: over; }
rt { font-family: "DejaVu Sans", "Noto Sans CJK TC", sans-serif; font-size: 0.4em;
  line-height: 1.1; color: #1d4e89; }
@media print {
  body { margin: 0; font-size: 17pt; }
  .line { break-inside: avoid; }
  rt { color: #000; }
}
)";

struct CharacterReadings {
  // Per consulted class, its readings of the character in row order.
  std::vector<QStringList> byClass;
};

// The consulted classes read once, indexed by character.
class ReadingIndex {
 public:
  ReadingIndex(ClassReadingSource& source, const ConversionOptions& options)
      : classes_(ConsultedClasses(options)) {
    for (size_t i = 0; i < classes_.size(); ++i) {
      source.ReadClass(*classes_[i], [this, i](QStringView hanWord, QStringView hanSpell) {
        // Only a row whose HanWord is exactly one character can match a character of the text.
        if (hanWord.isEmpty() || CharacterLength(hanWord, 0) != hanWord.size()) return;
        if (hanSpell.isEmpty()) return;
        CharacterReadings& entry = index_[CharacterCode(hanWord, 0, hanWord.size())];
        entry.byClass.resize(classes_.size());
        entry.byClass[i].append(hanSpell.toString());
      });
    }
  }

  const CharacterReadings* Find(char32_t code) const {
    const auto it = index_.constFind(code);
    return it == index_.constEnd() ? nullptr : &*it;
  }
  const ReadingClass& ClassAt(size_t i) const { return *classes_[i]; }

 private:
  std::vector<const ReadingClass*> classes_;
  QHash<char32_t, CharacterReadings> index_;
};

// "通 tsan3; 文 tsan7, tsan3": every reading, by class.
QString ReadingsTitle(const CharacterReadings& readings, const ReadingIndex& index) {
  QStringList groups;
  for (size_t i = 0; i < readings.byClass.size(); ++i) {
    if (readings.byClass[i].isEmpty()) continue;
    groups.append(QString(index.ClassAt(i).character) + QLatin1Char(' ') +
                  readings.byClass[i].join(QStringLiteral(", ")));
  }
  return groups.join(QStringLiteral("; "));
}

QString FirstReading(const CharacterReadings& readings) {
  for (const QStringList& group : readings.byClass) {
    if (!group.isEmpty()) return group.first();
  }
  return {};
}

QString DocumentTitle(const QStringList& lines) {
  for (const QString& line : lines) {
    if (!line.trimmed().isEmpty()) return line.trimmed();
  }
  return QStringLiteral("注音");
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

QString RubyHtmlDocument(const QStringList& lines, const ConversionOptions& options,
                         ClassReadingSource& source) {
  const ReadingIndex index(source, options);
  QString html = QStringLiteral(
                     "<!DOCTYPE html>\n<html lang=\"zh-Hant-TW\">\n<head>\n<meta "
                     "charset=\"utf-8\">\n<title>") +
                 HtmlEscaped(DocumentTitle(lines)) + QStringLiteral("</title>\n<style>\n") +
                 QString::fromUtf8(kStyle) + QStringLiteral("</style>\n</head>\n<body>\n");
  for (const QString& line : lines) {
    html += QStringLiteral("<div class=\"line\">");
    for (qsizetype pos = 0; pos < line.size();) {
      const qsizetype length = CharacterLength(line, pos);
      const QStringView character = QStringView(line).mid(pos, length);
      const CharacterReadings* readings = index.Find(CharacterCode(line, pos, length));
      if (readings) {
        html += QStringLiteral("<ruby title=\"") + HtmlEscaped(ReadingsTitle(*readings, index)) +
                QStringLiteral("\">") + HtmlEscaped(character) + QStringLiteral("<rt>") +
                HtmlEscaped(FirstReading(*readings)) + QStringLiteral("</rt></ruby>");
      } else {
        html += HtmlEscaped(character);
      }
      pos += length;
    }
    html += QStringLiteral("</div>\n");
  }
  html += QStringLiteral("</body>\n</html>\n");
  return html;
}

}  // namespace ravlek
