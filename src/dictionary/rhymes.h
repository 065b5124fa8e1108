#pragma once
#include <QString>
#include <QStringList>

namespace ravlek {

// The 106 Pingshui rhyme categories in their fixed order: 上平, 下平, 上聲, 去聲, 入聲.
const QStringList& PingshuiRhymeNames();

// A rhyme as a reader may type it, in the names' own spelling: 刪 (U+522A) as the list's 删
// (U+5220) and 篠 as 筱; a name without its tone part (一東, 十五刪) as the one full name it
// stands for. Anything else, a beginning such as 上平十 among it, comes back unchanged but for
// those two characters.
QString NormalizeRhymeName(const QString& text);

}  // namespace ravlek
