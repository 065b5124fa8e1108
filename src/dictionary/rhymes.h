#pragma once
#include <QStringList>

namespace ravlek {

// The 106 Pingshui rhyme categories in their fixed order: 上平, 下平, 上聲, 去聲, 入聲.
const QStringList& PingshuiRhymeNames();

}  // namespace ravlek
