#pragma once
// Fanqie synthesis: what a notation such as 則旰切 reads in Taiwanese. The upper character's
// literary reading gives the initial, the lower character's gives the final and the tone
// category; the register (陰 or 陽) follows the upper character's initial class.

#include <QList>
#include <QString>

namespace ravlek {

// One literary (文 or 通) reading of a character, with the dictionary's Middle-Chinese facts
// where it has them.
struct LiteraryReading {
  QString spell;        // HanSpell, numeric Tâi-lô such as "tsik4"
  QString initialType;  // Initial_C_type: 全清, 次清, 全濁, 次濁, or empty
  QString poemRhyme;    // PoemRhyme, e.g. "去聲十五翰", or empty
  QString division;     // hong5se3, e.g. "一等洪" or "三", or empty
};

struct FanqieCandidate {
  QString reading;  // e.g. "tsan3"
  QString steps;    // e.g. "則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3"
};

// Every distinct candidate, most likely first. Empty when either character has no literary
// reading that splits into initial, final and tone.
QList<FanqieCandidate> SynthesizeFanqie(const QString& upper,
                                        const QList<LiteraryReading>& upperReadings,
                                        const QString& lower,
                                        const QList<LiteraryReading>& lowerReadings);

}  // namespace ravlek
