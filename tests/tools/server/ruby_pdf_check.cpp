// ruby_pdf_check PDF EXPECTED: the geometry check of the desktop handout on a PDF that a browser
// printed. EXPECTED holds character<TAB>reading lines (the reading as printed, empty: none), in
// text order. Exit 0 when every reading stands centred over its character, else the faults.
#include <QCoreApplication>
#include <QFile>
#include <cstdio>

#include "tests/support/ruby_pdf_geometry.h"

int main(int argc, char** argv) {
  QCoreApplication app(argc, argv);
  const QStringList args = app.arguments();
  if (args.size() != 3) {
    std::fprintf(stderr, "usage: ruby_pdf_check PDF EXPECTED\n");
    return 2;
  }
  if (const QString missing = ravlek::test::MissingProgram(QStringLiteral("pdftotext"),
                                                           QStringLiteral("poppler-utils"));
      !missing.isEmpty()) {
    std::fprintf(stderr, "%s\n", qUtf8Printable(missing));
    return 2;
  }
  QFile file(args[2]);
  if (!file.open(QIODevice::ReadOnly)) {
    std::fprintf(stderr, "cannot read %s\n", qUtf8Printable(args[2]));
    return 2;
  }
  std::vector<ravlek::test::ExpectedRuby> expected;
  for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts)) {
    expected.push_back({line.section(u'\t', 0, 0), line.section(u'\t', 1)});
  }
  const QString faults = ravlek::test::RubyGeometryFaults(args[1], expected);
  if (faults.isEmpty()) return 0;
  std::fprintf(stderr, "%s\n", qUtf8Printable(faults));
  return 1;
}
