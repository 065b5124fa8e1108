#pragma once
// The readings that the metre chooses, by place in a text: for the conversion page and the ruby
// export, which read a regulated verse with the reading whose tone its place needs (看 in
// 坐看雲起時 is the 平 khan1, not khan3).

#include <QList>
#include <QStringList>

#include "metre/metre_check.h"

namespace ravlek::metre {

class CharacterReadings;
class PingshuiTable;

// What the metre decided at one character of a regulated poem.
struct MetrePlace {
  QString reading;           // empty: none (not in a regulated poem, or no readings)
  int verse = 0;             // its 句, from 1 (a title not counted)
  int index = 0;             // its place in the 句, from 1
  Tone tone = Tone::Either;  // the tone its place needs
  bool rhymePosition = false;
  RhymeGroup rhyme = -1;
  bool preferred = false;  // the reading is the one asked for (a phrase's)
  bool byOrder = false;    // other readings had the needed tone: the first in order was taken
};

// For each line of `lines`, one entry per character of the line (a surrogate pair is one
// character, as CharacterLength walks it): the reading the metre chooses for a character of a
// regulated poem (the literary reading of the tone its place fixes, else its first literary
// reading), and an empty string for every other character (punctuation, blanks, a title, the
// lines of a poem that is not regulated, a character without readings). Poems are separated by
// empty lines. Every entry is empty when the text holds no regulated poem.
//
// `preferred` (one list per line, one entry per character; missing or empty: none) names a
// reading to take where it fits the place: its tone is the one needed, or the place needs none.
// A rhyme position keeps the metre's reading: the rhyme group decides there.
QList<QStringList> MetreReadings(const QStringList& lines, const PingshuiTable& table,
                                 const CharacterReadings& readings,
                                 const QList<QStringList>* preferred = nullptr);

// The same with what decided each reading, for an explanation.
QList<QList<MetrePlace>> MetrePlaces(const QStringList& lines, const PingshuiTable& table,
                                     const CharacterReadings& readings,
                                     const QList<QStringList>* preferred = nullptr);

// Whether any entry of MetreReadings() is set.
bool HasMetreReadings(const QList<QStringList>& readings);

}  // namespace ravlek::metre
