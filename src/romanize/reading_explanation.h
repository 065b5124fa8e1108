#pragma once
// Why a reading was put first, in words: the texts of `ravlek-cli romanize --explain` and of the
// handout preview's reading menu.

#include <QString>

#include "metre/metre_readings.h"
#include "romanize/phrase_readings.h"

namespace ravlek {

// Several reasons for one reading are joined by this.
inline const QString kReasonSeparator = QStringLiteral("; ");

// A Hanyu Pinyin syllable with a tone digit (le4, lu:4, lv4) with its tone mark (lè, lǜ);
// the neutral tone (5 or 0) and a syllable without a digit are written without a mark.
QString PinyinWithToneMark(const QString& syllable);

// The 反切 of a PtypeDesc ("廣韻 盧各切，鐸韻" → 盧各切); empty when it names none.
QString FanqieOf(const QString& ptypeDesc);

// The phrase that chose `reading` (numeric Tâi-lô) for its character at `index` (code points
// from 0), as a chain from the phrase to the reading: "快樂 → 樂 lè → 盧各切 → lo̍k" for a
// terra-pinyin phrase (its Mandarin reading, then the 廣韻 entry `fanqie` when known), "不亦說乎
// → 說 同悅 → 弋雪切 → ua̍t" for a reviewed phrase (the sense and the entry its evidence gives).
QString PhraseReason(const Phrase& phrase, qsizetype index, const QString& character,
                     const QString& reading, const QString& fanqie = {});

// What the metre decided at a place: "格律: 第4句第2字須平", at a rhyme position with its
// group ("格律: 第2句第5字須平，押下平八庚"); with "用法次序" after it where the place left
// several readings and their order chose.
QString MetreReason(const metre::MetrePlace& place);

}  // namespace ravlek
