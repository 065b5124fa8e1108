#pragma once
// A numeric Tâi-lô syllable (e.g. "tsan3", "ng5", "hmh4") split into its initial, its final and
// its tone digit.

#include <QString>
#include <QStringView>
#include <optional>

namespace ravlek {

struct TailoSyllable {
  QString initial;  // p ph b m t th n l k kh g ng h ts tsh s j, or empty (zero initial)
  QString final;    // the rest before the tone digit: vowels, -nn, a coda m n ng p t k h; or m, ng
  int tone = 0;     // 1..9

  QString Text() const { return initial + final + QString::number(tone); }
  // The final ends in a stop (p, t, k, h): the syllable is of an entering tone.
  bool Checked() const;
};

// Splits a syllable written in small letters with its tone digit at the end; nullopt when the
// text is not of that shape. The initial is the longest one that leaves a well-formed final, so
// "ng5" is the syllabic final ng, "mng5" is m + ng and "tshng1" is tsh + ng.
std::optional<TailoSyllable> SplitTailoSyllable(QStringView text);

// Whether `final` is a well-formed Tâi-lô final.
bool IsTailoFinal(QStringView final);

}  // namespace ravlek
