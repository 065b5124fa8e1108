#include "dictionary/fanqie.h"

#include <QStringView>
#include <array>

#include "base/characters.h"

namespace ravlek {

namespace {

QString Piece(BaseWordLookup& lookup, const QString& character, const QString& markerIfMissing) {
  if (const auto row = lookup.Find(character)) return row->hanWord + u'(' + row->hanSpell + u')';
  return character + u'(' + character + u')' + markerIfMissing;
}

}  // namespace

QList<FanqieNotation> FindFanqieNotations(const QString& text) {
  QList<FanqieNotation> notations;
  // Start positions of the two characters before the current one.
  std::array<qsizetype, 2> before = {-1, -1};  // [0] the one before last, [1] the last
  std::array<qsizetype, 2> beforeLength = {0, 0};
  for (qsizetype pos = 0; pos < text.size() && notations.size() < kMaxFanqieNotations;) {
    const qsizetype length = CharacterLength(text, pos);
    const QChar unit = text[pos];
    if (length == 1 && (unit == u'切' || unit == u'反') && before[0] >= 0) {
      notations.push_back({text.mid(before[0], beforeLength[0]),
                           text.mid(before[1], beforeLength[1]), unit, before[0]});
    }
    before = {before[1], pos};
    beforeLength = {beforeLength[1], length};
    pos += length;
  }
  return notations;
}

QString ExtractFanqieReadings(const QString& text, BaseWordLookup& lookup,
                              const std::function<void(const QString& line)>& onLine) {
  QString output;
  for (const FanqieNotation& notation : FindFanqieNotations(text)) {
    QString line = Piece(lookup, notation.upper, QString());
    line += Piece(lookup, notation.lower, QString(notation.marker));
    line += QStringLiteral("\r\n");
    output += line;
    if (onLine) onLine(line);
  }
  return output;
}

}  // namespace ravlek
