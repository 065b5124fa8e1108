#pragma once
// The status line after a conversion: which classes the user asked for with their boxes the
// dictionary has no rows of, so that those boxes had no effect.

#include <QString>
#include <QStringView>

namespace ravlek {

// One clause per class consulted on request (古, 白) among emptyClasses (Ptype characters as
// Romanizer::EmptyClasses gives them), joined by "；"; empty when there is none.
QString EmptyClassesStatus(QStringView emptyClasses);

}  // namespace ravlek
