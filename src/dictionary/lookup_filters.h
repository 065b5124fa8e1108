#pragma once
// The filters the lookup page sets on the dictionary rows for its three kinds of search. The
// typed text only ever enters them as a literal, so no input can make them malformed.

#include <QString>
#include <QStringList>

namespace ravlek {

// Character search: rows whose HanWord begins with the text exactly as typed.
QString CharacterFilter(const QString& text);

// The romanisation search text as the rows hold it: romanisation typed as books print it (tone
// marks, POJ) read as numeric Tâi-lô, in lower case. The window and ravlek-cli both search with it.
QString SpellSearchText(const QString& typed);

// Romanisation search. The text loses the characters of code U+0020 and below at both ends; with
// a final "*" it selects readings ending with the rest, else readings beginning with it. A class
// text of exactly "白" or "文" adds the condition that Ptype holds 通 or that class; any other
// class text adds none.
QString SpellFilter(const QString& text, const QString& classText);

// Rhyme search: rows whose PoemRhyme begins with the text as NormalizeRhymeName spells it (刪 for
// 删, 一東 for 上平一東), else exactly as shown. Empty text gives the empty filter: every row.
QString RhymeFilter(const QString& text);

// Whether the text names rhymes: part of one of the 106 rhyme names (上平, 一東, 上平一東; 刪
// counts as 删). Empty text names them all.
bool NamesARhyme(const QString& text);

// The characters of a text without the blanks (white space and U+3000) around it.
QString TrimmedCharacters(const QString& text);
// Several characters looked up one by one: rows whose HanWord begins with any of them.
QString EachCharacterFilter(const QStringList& characters);

// The lookup grid's fields in column order.
const QStringList& LookupGridFields();

}  // namespace ravlek
