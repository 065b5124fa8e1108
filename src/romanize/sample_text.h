#pragma once

#include <QString>

namespace ravlek {

// The conversion page's sample: ten lines, each ending with CR LF.
QString ConversionSampleText();

}  // namespace ravlek
