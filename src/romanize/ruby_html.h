#pragma once
// A text as a standalone HTML document with the reading of every character above it (ruby), for
// reading aloud from paper: print styles lay it out on A4.

#include <QString>
#include <QStringList>

#include "romanize/reading_classes.h"

namespace ravlek {

class ClassReadingSource;

// One line of the document per line of the text, a blank line kept as an empty one. A character
// with a reading stands in <ruby> with, in <rt>, the first reading of the first consulted class
// that has one (通, 文, 今, then 古 and 白 when their options are on) and, in its title, every
// reading of the consulted classes by class. A character without a reading stands bare. Only
// `ancient` and `colloquial` of the options count.
QString RubyHtmlDocument(const QStringList& lines, const ConversionOptions& options,
                         ClassReadingSource& source);

// Text written into HTML: &, <, > and " escaped.
QString HtmlEscaped(QStringView text);

}  // namespace ravlek
