#pragma once
// Romanisation as books print it and as the dictionary stores it. The dictionary and its filters
// use numeric Tâi-lô (tsan3, tsat8); books print Tâi-lô with tone marks (tsàn, tsa̍t) or the older
// POJ spelling (chàn, chhun, koa, oe, eng, ek, o͘, ⁿ).

#include <QString>

namespace ravlek {

// Turns tone-marked Tâi-lô and POJ spellings into numeric Tâi-lô, syllable by syllable:
// - a tone mark, in any Unicode normalisation form, is dropped and its tone digit written after
//   the syllable (acute 2, grave 3, circumflex 5, caron 6, macron 7, vertical line 8, double
//   acute 9), unless a digit already follows the syllable;
// - the POJ spellings chh, ch, oa, oe, o͘, ⁿ and the finals eng, ek become tsh, ts, ua, ue, oo,
//   nn, ing, ik, keeping the case of each letter.
// Text that holds none of these (numeric Tâi-lô, wildcards, ideographs) comes back unchanged, code
// unit for code unit; a syllable without a tone mark gets no digit, so it stays a prefix.
QString NumericTaiLo(const QString& text);

// Writes numeric Tâi-lô with tone marks: every run of ASCII letters followed by a tone digit 1 to 9
// loses the digit and, for tones 2, 3, 5 to 9, gets the mark on the vowel that Tâi-lô marks (a,
// then o or e, then the later of i and u, then the syllabic m or n). Tones 1 and 4 carry no mark.
// The result is in normalisation form C. Anything else is copied unchanged.
QString ToneMarkedTaiLo(const QString& text);

}  // namespace ravlek
