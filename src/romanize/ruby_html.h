#pragma once
// A ruby text as a standalone HTML document with each reading above its character, for reading
// aloud from paper: print styles lay it out on A4 as LayOutHandout() breaks it.

#include <QString>
#include <QStringView>
#include <functional>
#include <vector>

#include "romanize/handout_layout.h"
#include "romanize/ruby_text.h"

namespace ravlek {

// One row of cells per row of the layout, a blank line kept as an empty row. A character with a
// reading stands in <ruby>, the reading in <rt> and every reading of the consulted classes in its
// title; a character without one stands alone in its cell. Nothing is fetched: no links, scripts
// or pictures.
QString RubyHtmlDocument(const std::vector<RubyLine>& text, const HandoutStyle& style);

// The same document written as its lines come: each line's rows go to `out` at once, but for the
// blank lines before the first that names the document (its title), which wait for the head.
class RubyHtmlWriter {
 public:
  using Out = std::function<void(const QString& html)>;
  RubyHtmlWriter(const HandoutStyle& style, Out out);
  void AddLine(const RubyLine& line);
  // Writes what waits and the document's end.
  void Finish();

 private:
  void Rows(const RubyLine& line, QString& html) const;

  HandoutStyle style_;
  Out out_;
  bool headWritten_ = false;
  QString waiting_;  // the rows before the title
};

// The title a document of these lines gets: its first line that is not blank, else 注音.
QString HandoutTitle(const std::vector<RubyLine>& text);

// The title one line would give: its text without the blanks around it; empty when blank.
QString LineTitle(const RubyLine& line);

// The name a save dialog suggests for the handout, without suffix: its title line where it has
// one, else its first line that is not blank, without punctuation, symbols and blanks, at most 40
// characters; 注音 when nothing is left.
QString HandoutFileName(const std::vector<RubyLine>& text);

// Text written into HTML or XML: &, <, > and " escaped.
QString HtmlEscaped(QStringView text);

}  // namespace ravlek
