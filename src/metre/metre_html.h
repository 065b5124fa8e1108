#pragma once
// The checked poems as an HTML fragment for the window's rich-text view: every character with
// its tone by colour and symbol (○ 平, ● 仄, ◐ 中), the rhyme positions (◎) and groups, the
// characters of a fault on a yellow ground, and the faults and remedied forms in words.

#include <QList>
#include <QString>

#include "metre/metre_check.h"

namespace ravlek::metre {

QString MetreHtml(const QList<PoemCheck>& checks);

// The symbol of a tone, and of a rhyme position.
QChar ToneSymbol(Tone tone);
inline constexpr char16_t kRhymeSymbol = u'◎';

}  // namespace ravlek::metre
