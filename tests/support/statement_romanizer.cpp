#include "tests/support/statement_romanizer.h"

#include "base/characters.h"
#include "dictionary/dataset.h"
#include "dictionary/filter.h"

namespace ravlek {

namespace {

// The store's equality reads a literal ending in "*" as a prefix; a character of the text is
// compared exactly, so rows of a longer HanWord are passed over.
bool MoveToMatch(TFDQuery& query, const QString& character, bool first) {
  bool found = first ? query.FindFirst() : query.FindNext();
  while (found && query.FieldByName(QStringLiteral("HanWord")) != character)
    found = query.FindNext();
  return found;
}

}  // namespace

QString RomanizeLineByStatements(TFDQuery& query, QStringView line,
                                 const ConversionOptions& options) {
  const auto classes = ConsultedClasses(options);
  QString romanised;
  for (qsizetype pos = 0; pos < line.size();) {
    const qsizetype length = CharacterLength(line, pos);
    const QString character = line.mid(pos, length).toString();
    pos += length;
    if (character == QStringLiteral(" ")) continue;
    bool found = false;
    for (const ReadingClass* readingClass : classes) {
      query.Close();
      query.SetSQL(QString::fromUtf8(readingClass->statement));
      query.FilterOff();
      query.SetFilter(QStringLiteral("HanWord =") + QuotedStr(character));
      query.FilterOn();
      query.Open();
      if (MoveToMatch(query, character, true)) {
        found = true;
        romanised += QString::fromUtf8(options.classMarks ? readingClass->openingWithMark
                                                          : readingClass->openingWithoutMark);
        romanised += query.FieldByName(QStringLiteral("HanSpell"));
        while (MoveToMatch(query, character, false)) {
          romanised += kReadingSeparator;
          romanised += query.FieldByName(QStringLiteral("HanSpell"));
        }
        romanised += QString::fromUtf8(readingClass->closing);
      }
      query.Close();
    }
    if (!found) romanised += character;
    if (options.separator) romanised += CharacterSeparator();
  }
  return romanised;
}

}  // namespace ravlek
