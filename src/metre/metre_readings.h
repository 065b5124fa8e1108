#pragma once
// The readings that the metre chooses, by place in a text: for the conversion page and the ruby
// export, which read a regulated verse with the reading whose tone its place needs (看 in
// 坐看雲起時 is the 平 khan1, not khan3).

#include <QList>
#include <QStringList>

namespace ravlek::metre {

class CharacterReadings;
class PingshuiTable;

// For each line of `lines`, one entry per character of the line (a surrogate pair is one
// character, as CharacterLength walks it): the reading the metre chooses for a character of a
// regulated poem (the literary reading of the tone its place fixes, else its first literary
// reading), and an empty string for every other character (punctuation, blanks, a title, the
// lines of a poem that is not regulated, a character without readings). Poems are separated by
// empty lines. Every entry is empty when the text holds no regulated poem.
QList<QStringList> MetreReadings(const QStringList& lines, const PingshuiTable& table,
                                 const CharacterReadings& readings);

// Whether any entry of MetreReadings() is set.
bool HasMetreReadings(const QList<QStringList>& readings);

}  // namespace ravlek::metre
