#include "dictionary/dataset.h"
#include "dictionary/fanqie.h"
#include "dictionary/filter.h"

namespace ravlek {

namespace {

std::optional<BaseWordRow> FirstExactRow(TFDQuery& query, const QString& character) {
  query.FilterOff();
  query.SetFilter(QStringLiteral("HanWord =") + QuotedStr(character));
  query.FilterOn();
  // The store reads a literal ending in "*" as a prefix; the character itself is wanted.
  for (bool found = query.FindFirst(); found; found = query.FindNext()) {
    const QString hanWord = query.FieldByName(QStringLiteral("HanWord"));
    if (hanWord == character)
      return BaseWordRow{hanWord, query.FieldByName(QStringLiteral("HanSpell"))};
  }
  return std::nullopt;
}

}  // namespace

std::optional<BaseWordRow> DatasetBaseWordLookup::Find(const QString& character) {
  if (auto row = FirstExactRow(baseWords_, character)) return row;
  return FirstExactRow(baseWordsPlus_, character);
}

}  // namespace ravlek
