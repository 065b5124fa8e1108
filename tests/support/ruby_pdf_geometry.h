#pragma once
// Checks a printed handout the way a reader sees it: the words of the PDF and their boxes, as
// poppler's `pdftotext -bbox` finds them, must show each expected reading above its own
// character, centred over it within a quarter of its width, and no two readings touching.

#include <QString>
#include <vector>

namespace ravlek::test {

struct ExpectedRuby {
  QString character;
  QString reading;  // as printed; empty: none above the character
};

// Why the check cannot run (pdftotext or soffice not installed), or nothing when it can.
QString MissingProgram(const QString& program, const QString& package);

// The faults found, one per line (at most a few of each kind), or an empty text when the PDF
// shows exactly the expected readings, in order, each above its character.
QString RubyGeometryFaults(const QString& pdfPath, const std::vector<ExpectedRuby>& expected);

// Converts an OpenDocument file to PDF beside it with LibreOffice (headless, a profile of its
// own in a temporary folder); returns the PDF's path, or an empty text with `error` set.
QString OdtToPdf(const QString& odtPath, QString& error);

}  // namespace ravlek::test
