#pragma once
// The status line after a conversion: which consulted classes the dictionary has no rows of, and
// so which class boxes had no effect.

#include <QString>
#include <QStringView>

namespace ravlek {

// One clause per class (Ptype characters as Romanizer::EmptyClasses gives them), joined by "；";
// empty when every consulted class had rows.
QString EmptyClassesStatus(QStringView emptyClasses);

}  // namespace ravlek
