#pragma once
// A ruby text as an OpenDocument text (.odt) that LibreOffice and Word open and edit: every
// reading in real ruby (text:ruby) above its character, the cells laid out as LayOutHandout()
// lays them out, on A4.

#include <QByteArray>
#include <QString>
#include <memory>
#include <vector>

#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

namespace ravlek {

// One paragraph per row of the layout. Each cell is a centred tab stop, a cell's width apart, so
// that the cells stay equal and each character (with its ruby, centred above it) stands in the
// middle of its own; an empty row keeps a blank line. Raises Error when the archive cannot be
// made.
QByteArray RubyOdtDocument(const std::vector<RubyLine>& text, const HandoutStyle& style);

// The same document written as its lines come, in memory that does not grow with the text: the
// body goes to a temporary file, only the paragraph styles (one per kind of row) are kept, and
// Finish() writes the archive, content.xml read from that file straight into it. Raises Error
// when a file cannot be written or the archive cannot be made.
class RubyOdtWriter {
 public:
  explicit RubyOdtWriter(const HandoutStyle& style);
  ~RubyOdtWriter();
  void AddLine(const RubyLine& line);
  // Writes the archive to `path`, replacing a file there.
  void Finish(const QString& path);

 private:
  struct Impl;
  std::unique_ptr<Impl> impl_;
};

}  // namespace ravlek
