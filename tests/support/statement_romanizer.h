#pragma once
// The conversion as one statement per class and character: for every non-blank character and
// consulted class the dataset is closed, given the class's statement and the character's filter,
// and opened. Slow; kept as the reference the indexed conversion must agree with.

#include <QString>
#include <QStringView>

#include "dictionary/reading_classes.h"

namespace ravlek {

class TFDQuery;

QString RomanizeLineByStatements(TFDQuery& query, QStringView line,
                                 const ConversionOptions& options);

}  // namespace ravlek
