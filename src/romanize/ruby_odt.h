#pragma once
// A ruby text as an OpenDocument text (.odt) that LibreOffice and Word open and edit: every
// reading in real ruby (text:ruby) above its character, the cells laid out as LayOutHandout()
// lays them out, on A4.

#include <QByteArray>
#include <vector>

#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

namespace ravlek {

// One paragraph per row of the layout. Each cell is a centred tab stop, a cell's width apart, so
// that the cells stay equal and each character (with its ruby, centred above it) stands in the
// middle of its own; an empty row keeps a blank line. Raises Error when the archive cannot be
// made.
QByteArray RubyOdtDocument(const std::vector<RubyLine>& text, const HandoutStyle& style);

}  // namespace ravlek
