// 輸出注音 on the conversion page: the input field as a ruby-annotated HTML document, for the
// page's class boxes, saved where the user chooses; choosing PDF prints the document to PDF.
#include <QCheckBox>
#include <QFile>
#include <QFileDialog>
#include <QPlainTextEdit>
#include <QTemporaryDir>

#include "base/error.h"
#include "app/window/ostrel.h"
#include "dictionary/dataset.h"
#include "romanize/class_readings.h"
#include "romanize/ruby_html.h"
#include "romanize/text_input.h"
#include "romanize/window/html_to_pdf.h"

namespace {

const QString kHtmlFilter = QStringLiteral("HTML (*.html *.htm)");
const QString kPdfFilter = QStringLiteral("PDF (*.pdf)");

void WriteUtf8File(const QString& path, const QString& text) {
  QFile file(path);
  if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
    throw ravlek::CannotCreateFileError(path, file.errorString());
  }
  const QByteArray bytes = text.toUtf8();
  if (file.write(bytes) != bytes.size() || !file.flush()) {
    throw ravlek::CannotCreateFileError(path, file.errorString());
  }
}

}  // namespace

void TOstrel::RubyExport_TntButtonClick() {
  QString filter = kHtmlFilter;
  QString path = QFileDialog::getSaveFileName(
      this, QStringLiteral("輸出注音"), QStringLiteral("注音.html"),
      kHtmlFilter + QStringLiteral(";;") + kPdfFilter, &filter, QFileDialog::DontUseNativeDialog);
  if (path.isEmpty()) return;
  const bool pdf =
      path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive) ||
      (filter == kPdfFilter && !path.endsWith(QStringLiteral(".html"), Qt::CaseInsensitive) &&
       !path.endsWith(QStringLiteral(".htm"), Qt::CaseInsensitive));
  if (pdf && !path.endsWith(QStringLiteral(".pdf"), Qt::CaseInsensitive)) {
    path += QStringLiteral(".pdf");
  }

  ravlek::ConversionOptions options;
  options.ancient = TntCheckBox2->isChecked();
  options.colloquial = TntCheckBox3->isChecked();
  ravlek::DatasetClassReadingSource source(*FDQuerySQLRavlekTable);
  const QString html =
      ravlek::RubyHtmlDocument(ravlek::SplitTextLines(TntMemo3->toPlainText()), options, source);
  if (!pdf) {
    WriteUtf8File(path, html);
    return;
  }
  const QTemporaryDir folder;
  if (!folder.isValid()) throw ravlek::CannotCreateFileError(folder.path(), folder.errorString());
  const QString htmlPath = folder.filePath(QStringLiteral("ruby.html"));
  WriteUtf8File(htmlPath, html);
  ravlek::PrintHtmlFileToPdf(htmlPath, path);
}
