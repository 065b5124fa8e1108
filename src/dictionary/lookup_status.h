#pragma once
// The lookup page's status line: why a search found nothing, and what was looked up instead of a
// run of characters that is no word of the dictionary.

#include <QString>
#include <QStringList>

namespace ravlek {

// The character field's text found no row.
QString NoCharacterStatus(const QString& text);
// A run of characters that begins no word was looked up character by character; `missing` are
// those of them without a row.
QString EachCharacterStatus(const QString& run, const QStringList& characters,
                            const QStringList& missing);
// The romanisation search (its text as searched, with or without the final "*") found no row.
QString NoReadingStatus(const QString& search, const QString& classText);
// The rhyme box holds a text that names no rhyme, or a rhyme without rows.
QString NotARhymeStatus(const QString& text);
QString NoRhymeRowsStatus(const QString& text);

}  // namespace ravlek
