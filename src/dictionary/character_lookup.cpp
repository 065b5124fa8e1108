#include "dictionary/character_lookup.h"

#include "base/characters.h"
#include "dictionary/filter.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/lookup_status.h"

namespace ravlek {

CharacterLookup LookUpCharacters(const QString& typed, CharacterRows& rows) {
  CharacterLookup result{typed, QString()};
  bool found = rows.Select(CharacterFilter(typed));
  // Blanks pasted around the characters are no part of them, unless a row holds them.
  if (!found && TrimmedCharacters(typed) != typed) {
    result.text = TrimmedCharacters(typed);
    found = rows.Select(CharacterFilter(result.text));
  }
  if (found || result.text.isEmpty()) return result;
  const QStringList characters = DistinctCharacters(result.text);
  if (characters.size() > 1) {
    // A run that begins no word: each of its characters is looked up.
    rows.Select(EachCharacterFilter(characters));
    QStringList missing = characters;
    rows.VisitWords([&missing](QStringView word) {
      missing.removeIf([&word](const QString& character) { return word.startsWith(character); });
      return !missing.isEmpty();
    });
    result.status = EachCharacterStatus(result.text, characters, missing);
  } else {
    result.status = NoCharacterStatus(result.text);
  }
  return result;
}

QStringList DistinctCharacters(const QString& text) {
  QStringList characters;
  for (qsizetype i = 0; i < text.size();) {
    const qsizetype length = CharacterLength(text, i);
    const QString character = text.mid(i, length);
    if (!characters.contains(character)) characters << character;
    i += length;
  }
  return characters;
}

std::vector<int> PassingRows(const HeldRows& rows, const QString& filter) {
  const CompiledFilter compiled(FilterExpression::Parse(filter),
                                [&rows](const QString& field) -> const HeldColumn* {
                                  const int index = rows.FieldIndex(field);
                                  return index < 0 ? nullptr : &rows.columns[size_t(index)];
                                });
  std::vector<int> passing;
  compiled.Select(rows.rowCount, passing);
  return passing;
}

bool HeldCharacterRows::Select(const QString& filter) {
  passing_ = PassingRows(rows_, filter);
  return !passing_.empty();
}

void HeldCharacterRows::VisitWords(const std::function<bool(QStringView word)>& visit) const {
  const int word = rows_.FieldIndex(QStringLiteral("HanWord"));
  if (word < 0) return;
  for (const int row : passing_) {
    if (!visit(rows_.columns[size_t(word)].View(row))) return;
  }
}

}  // namespace ravlek
