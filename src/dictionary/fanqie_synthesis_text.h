#pragma once
// The synthesis of every notation of a text, one line each: the notation, the predicted readings
// and the steps that led to them.

#include <QString>

namespace ravlek {

class LiteraryReadings;
struct FanqieNotation;

// "則旰切", TAB, the readings joined by "/", TAB, each candidate's steps joined by "; ", CR LF.
// A notation without a candidate has no readings; its steps say which character lacks a
// literary reading. A candidate that is a literary reading of `entry` (the character the notation
// spells, where the text names it) comes first.
QString FanqieSynthesisLine(const FanqieNotation& notation, const LiteraryReadings& readings,
                            const QString& entry = {});

// One line per notation of the text, in the order and within the limit of the extraction. The
// character before a notation, past blanks and punctuation (東 in "東：都籠切"), is taken as the
// entry it spells.
QString SynthesizeFanqieText(const QString& text, const LiteraryReadings& readings);

// What the signs of the steps mean, in words, one sign a line.
QString FanqieStepsLegend();
// One line of the synthesis (without its line break) told in words: for each candidate how its
// initial, final and tone were found. A line that is not of the synthesis comes back unchanged.
QString ExplainFanqieSynthesisLine(const QString& line);

}  // namespace ravlek
