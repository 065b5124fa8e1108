#include "tests/support/ruby_pdf_geometry.h"

#include <QFileInfo>
#include <QMap>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <algorithm>
#include <cmath>

#include "release/manifest.h"  // the XML entities of pdftotext's words

namespace ravlek::test {

namespace {

struct Box {
  QString text;
  int page = 0;
  double x0 = 0, y0 = 0, x1 = 0, y1 = 0;
  double Cx() const { return (x0 + x1) / 2; }
  double Cy() const { return (y0 + y1) / 2; }
};

bool IsReadingText(const QString& word) {
  const QChar c = word.front();
  return (c.unicode() < 0x2000 &&
          (c.isLetterOrNumber() || c.category() == QChar::Mark_NonSpacing)) ||
         c == u'\u207f';
}

// A reading without its tone marks: what survives every way of extracting a PDF's text.
QString Bare(const QString& reading) {
  QString bare;
  for (const QChar c : reading.normalized(QString::NormalizationForm_D)) {
    if (c.category() != QChar::Mark_NonSpacing) bare += c;
  }
  return bare;
}

}  // namespace

QString MissingProgram(const QString& program, const QString& package) {
  if (!QStandardPaths::findExecutable(program).isEmpty()) return {};
  return QStringLiteral("%1 is not installed (Debian package %2, which scripts/setup installs)")
      .arg(program, package);
}

QString OdtToPdf(const QString& odtPath, QString& error) {
  QTemporaryDir profile;
  const QFileInfo info(odtPath);
  QProcess process;
  process.start(
      QStringLiteral("soffice"),
      {QStringLiteral("-env:UserInstallation=file://") + profile.path(),
       QStringLiteral("--headless"), QStringLiteral("--convert-to"), QStringLiteral("pdf"),
       QStringLiteral("--outdir"), info.absolutePath(), info.absoluteFilePath()});
  if (!process.waitForFinished(300000) || process.exitCode() != 0) {
    error = QStringLiteral("soffice failed: ") + QString::fromUtf8(process.readAllStandardError());
    return {};
  }
  const QString pdf =
      info.absolutePath() + QLatin1Char('/') + info.completeBaseName() + QStringLiteral(".pdf");
  if (!QFileInfo::exists(pdf)) error = QStringLiteral("soffice wrote no PDF");
  return pdf;
}

QString RubyGeometryFaults(const QString& pdfPath, const std::vector<ExpectedRuby>& expected) {
  QProcess process;
  process.start(QStringLiteral("pdftotext"),
                {QStringLiteral("-bbox"), pdfPath, QStringLiteral("-")});
  if (!process.waitForFinished(300000) || process.exitCode() != 0)
    return QStringLiteral("pdftotext failed: ") + QString::fromUtf8(process.readAllStandardError());
  const QString xml = QString::fromUtf8(process.readAllStandardOutput());

  static const QRegularExpression word(QStringLiteral(
      R"re(<word xMin="([\d.]+)" yMin="([\d.]+)" xMax="([\d.]+)" yMax="([\d.]+)">([^<]*)</word>)re"));
  std::vector<Box> readings;
  std::vector<Box> characters;
  int page = 0;
  qsizetype from = 0;
  for (;;) {
    const qsizetype nextPage = xml.indexOf(QStringLiteral("<page "), from);
    const auto match = word.match(xml, from);
    if (nextPage >= 0 && (!match.hasMatch() || nextPage < match.capturedStart())) {
      ++page;
      from = nextPage + 1;
      continue;
    }
    if (!match.hasMatch()) break;
    from = match.capturedEnd();
    Box box{ReplacePredefinedEntities(match.captured(5)),
            page,
            match.captured(1).toDouble(),
            match.captured(2).toDouble(),
            match.captured(3).toDouble(),
            match.captured(4).toDouble()};
    if (box.text.isEmpty()) continue;
    if (IsReadingText(box.text)) {
      // A word may end or begin at a combining mark: the two halves are one reading.
      if (!readings.empty()) {
        Box& last = readings.back();
        // LibreOffice sets the letters after a mark apart: "gua̍" "t".
        const bool mark = box.text.front().category() == QChar::Mark_NonSpacing ||
                          last.text.back().category() == QChar::Mark_NonSpacing;
        const double gap = box.x0 - last.x1;
        if (last.page == page && std::abs(last.y0 - box.y0) < 0.5 && gap > -0.5 &&
            (gap < 0.6 || (mark && gap < 0.3 * (box.y1 - box.y0)))) {
          last.text += box.text;
          last.x1 = std::max(last.x1, box.x1);
          continue;
        }
      }
      readings.push_back(box);
      continue;
    }
    // Characters set close together may come as one word: each gets an equal share of its box.
    QList<uint> codes = box.text.toUcs4();
    const double share = (box.x1 - box.x0) / double(codes.size());
    for (qsizetype i = 0; i < codes.size(); ++i) {
      Box one = box;
      one.text = QString::fromUcs4(reinterpret_cast<const char32_t*>(&codes[i]), 1);
      one.x0 = box.x0 + share * double(i);
      one.x1 = one.x0 + share;
      characters.push_back(one);
    }
  }

  QStringList faults;
  const auto fault = [&faults](const QString& text) {
    if (faults.size() < 12) faults.append(text);
  };
  // Each reading above the nearest character below it.
  std::vector<int> readingOf(characters.size(), -1);
  for (size_t r = 0; r < readings.size(); ++r) {
    const Box& reading = readings[r];
    int best = -1;
    double bestDx = 0;
    for (size_t c = 0; c < characters.size(); ++c) {
      const Box& ch = characters[c];
      const double height = ch.y1 - ch.y0;
      if (ch.page != reading.page || ch.Cy() <= reading.Cy() ||
          ch.Cy() - reading.Cy() > 1.5 * height)
        continue;
      const double dx = std::abs(ch.Cx() - reading.Cx());
      if (best < 0 || dx < bestDx) {
        best = int(c);
        bestDx = dx;
      }
    }
    if (best < 0) {
      fault(QStringLiteral("reading %1 (page %2) stands above no character")
                .arg(reading.text)
                .arg(reading.page));
      continue;
    }
    const Box& ch = characters[size_t(best)];
    if (bestDx > (ch.x1 - ch.x0) / 4)
      fault(QStringLiteral("reading %1 is %2 pt off the centre of %3 (page %4)")
                .arg(reading.text)
                .arg(bestDx, 0, 'f', 1)
                .arg(ch.text)
                .arg(ch.page));
    if (reading.y1 > ch.y0 + 0.4 * (ch.y1 - ch.y0))
      fault(QStringLiteral("reading %1 is not above %2 (page %3)")
                .arg(reading.text, ch.text)
                .arg(ch.page));
    if (readingOf[size_t(best)] >= 0)
      fault(QStringLiteral("%1 (page %2) has two readings: %3 and %4")
                .arg(ch.text)
                .arg(ch.page)
                .arg(readings[size_t(readingOf[size_t(best)])].text, reading.text));
    readingOf[size_t(best)] = int(r);
  }
  // No two readings of one row touch.
  std::vector<const Box*> byRow;
  for (const Box& reading : readings) byRow.push_back(&reading);
  std::sort(byRow.begin(), byRow.end(), [](const Box* a, const Box* b) {
    if (a->page != b->page) return a->page < b->page;
    if (std::abs(a->y0 - b->y0) >= 1) return a->y0 < b->y0;
    return a->x0 < b->x0;
  });
  for (size_t i = 1; i < byRow.size(); ++i) {
    const Box& a = *byRow[i - 1];
    const Box& b = *byRow[i];
    if (a.page == b.page && std::abs(a.y0 - b.y0) < 1 && b.x0 - a.x1 < 1)
      fault(QStringLiteral("readings %1 and %2 touch (page %3)").arg(a.text, b.text).arg(a.page));
  }
  // The characters with a reading, in reading order, against those expected.
  std::vector<size_t> order(characters.size());
  for (size_t i = 0; i < order.size(); ++i) order[i] = i;
  std::sort(order.begin(), order.end(), [&](size_t a, size_t b) {
    const Box& p = characters[a];
    const Box& q = characters[b];
    if (p.page != q.page) return p.page < q.page;
    if (std::abs(p.Cy() - q.Cy()) >= 3) return p.Cy() < q.Cy();
    return p.x0 < q.x0;
  });
  QStringList found;
  for (size_t i : order) {
    if (readingOf[i] >= 0)
      found.append(characters[i].text + QLatin1Char(' ') +
                   Bare(readings[size_t(readingOf[i])].text));
  }
  QStringList wanted;
  for (const ExpectedRuby& e : expected) {
    if (!e.reading.isEmpty()) wanted.append(e.character + QLatin1Char(' ') + Bare(e.reading));
  }
  if (found.size() != wanted.size())
    fault(QStringLiteral("%1 readings above characters, %2 expected")
              .arg(found.size())
              .arg(wanted.size()));
  for (qsizetype i = 0; i < std::min(found.size(), wanted.size()); ++i) {
    if (found[i] != wanted[i]) {
      fault(QStringLiteral("at the %1th read character: %2, expected %3")
                .arg(i + 1)
                .arg(found[i], wanted[i]));
      break;
    }
  }
  return faults.join(QLatin1Char('\n'));
}

}  // namespace ravlek::test
