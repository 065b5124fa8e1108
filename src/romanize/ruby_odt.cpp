#include "romanize/ruby_odt.h"

#include <zip.h>

#include <QFile>
#include <QHash>
#include <QTemporaryDir>
#include <QTemporaryFile>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>
#include <memory>

#include "base/error.h"
#include "romanize/ruby_html.h"

namespace ravlek {

namespace {

constexpr const char* kMimeType = "application/vnd.oasis.opendocument.text";

QString Pt(double value) {
  return QString::number(value, 'f', 2) + QStringLiteral("pt");
}
QString Mm(double value) {
  return QString::number(value, 'f', 1) + QStringLiteral("mm");
}

const QString kNamespaces = QStringLiteral(
    " xmlns:office=\"urn:oasis:names:tc:opendocument:xmlns:office:1.0\""
    " xmlns:style=\"urn:oasis:names:tc:opendocument:xmlns:style:1.0\""
    " xmlns:text=\"urn:oasis:names:tc:opendocument:xmlns:text:1.0\""
    " xmlns:fo=\"urn:oasis:names:tc:opendocument:xmlns:xsl-fo-compatible:1.0\""
    " xmlns:svg=\"urn:oasis:names:tc:opendocument:xmlns:svg-compatible:1.0\""
    " xmlns:dc=\"http://purl.org/dc/elements/1.1/\""
    " xmlns:meta=\"urn:oasis:names:tc:opendocument:xmlns:meta:1.0\""
    " office:version=\"1.3\"");

QString FontFaces() {
  return QStringLiteral(
             "<office:font-face-decls>"
             "<style:font-face style:name=\"Kai\" svg:font-family=\"'%1'\"/>"
             "<style:font-face style:name=\"Reading\" svg:font-family=\"'%2'\"/>"
             "</office:font-face-decls>")
      .arg(QLatin1String(kCharacterFaces[0]), QLatin1String(kReadingFaces[0]));
}

// The text properties of characters of `pt` points: the Kai face for ideographs (the Asian
// font), the reading face for anything Latin.
QString CharacterProperties(double pt, bool bold) {
  QString weight;
  if (bold) weight = QStringLiteral(" fo:font-weight=\"bold\" style:font-weight-asian=\"bold\"");
  return QStringLiteral(
             "<style:text-properties style:font-name=\"Kai\" fo:font-size=\"%1\" "
             "style:font-name-asian=\"Kai\" style:font-size-asian=\"%1\" "
             "style:font-name-complex=\"Kai\" style:font-size-complex=\"%1\" "
             "fo:language=\"zxx\" fo:country=\"none\" style:language-asian=\"zh\" "
             "style:country-asian=\"TW\"%2/>")
      .arg(Pt(pt), weight);
}

QString Styles(const HandoutStyle& style) {
  const QString xml =
      QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-styles") +
      kNamespaces + QLatin1Char('>') + FontFaces() +
      QStringLiteral(
          "<office:styles>"
          "<style:default-style style:family=\"paragraph\">"
          "<style:paragraph-properties style:writing-mode=\"lr-tb\"/>") +
      CharacterProperties(style.characterPt, false) +
      QStringLiteral(
          "</style:default-style>"
          "<style:style style:name=\"Standard\" style:family=\"paragraph\"/>"
          "<style:style style:name=\"Handout\" style:family=\"paragraph\" "
          "style:parent-style-name=\"Standard\">"
          "<style:paragraph-properties fo:margin-top=\"0pt\" fo:margin-bottom=\"%1\" "
          "fo:line-height=\"115%\" style:snap-to-layout-grid=\"false\"/>") +
      CharacterProperties(style.characterPt, false) +
      QStringLiteral(
          "</style:style>"
          "<style:style style:name=\"Reading\" style:family=\"text\">"
          "<style:text-properties style:font-name=\"Reading\" fo:font-size=\"%2\" "
          "style:font-name-asian=\"Reading\" style:font-size-asian=\"%2\" "
          "fo:font-weight=\"normal\" style:font-weight-asian=\"normal\"/>"
          "</style:style>"
          "</office:styles>"
          "<office:automatic-styles>"
          "<style:page-layout style:name=\"A4\"><style:page-layout-properties "
          "fo:page-width=\"%3\" fo:page-height=\"%4\" style:print-orientation=\"portrait\" "
          "fo:margin-top=\"%5\" fo:margin-bottom=\"%6\" fo:margin-left=\"%7\" "
          "fo:margin-right=\"%7\"/></style:page-layout>"
          "</office:automatic-styles>"
          "<office:master-styles><style:master-page style:name=\"Standard\" "
          "style:page-layout-name=\"A4\"/></office:master-styles>"
          "</office:document-styles>\n");
  return xml.arg(Pt(0.45 * style.characterPt), Pt(style.readingPt), Mm(kPageWidthMm),
                 Mm(kPageHeightMm), Mm(kMarginTopMm), Mm(kMarginBottomMm), Mm(kMarginSideMm));
}

// The paragraph styles of the rows: one per kind, cell width and indent, each with a centred tab
// stop in the middle of every cell.
class RowStyles {
 public:
  explicit RowStyles(const HandoutStyle& style) : style_(style) {}

  QString NameOf(const HandoutRow& row) {
    double start = 0;
    const double used = row.cellPt * static_cast<double>(row.cells.size());
    if (row.kind != RubyLineKind::Body && used < kTextWidthPt) start = (kTextWidthPt - used) / 2;
    const QString key = QStringLiteral("%1/%2/%3/%4")
                            .arg(int(row.kind))
                            .arg(row.cellPt)
                            .arg(start, 0, 'f', 2)
                            .arg(row.cells.size());
    const auto found = names_.constFind(key);
    if (found != names_.constEnd()) return *found;
    const QString name = QStringLiteral("R%1").arg(names_.size() + 1);
    names_.insert(key, name);
    xml_ += QStringLiteral(
                "<style:style style:name=\"%1\" style:family=\"paragraph\" "
                "style:parent-style-name=\"Handout\"><style:paragraph-properties "
                "fo:margin-left=\"0pt\" fo:text-indent=\"0pt\"><style:tab-stops>")
                .arg(name);
    for (size_t i = 0; i < row.cells.size(); ++i) {
      xml_ += QStringLiteral("<style:tab-stop style:position=\"%1\" style:type=\"center\"/>")
                  .arg(Pt(start + (static_cast<double>(i) + 0.5) * row.cellPt));
    }
    xml_ += QStringLiteral("</style:tab-stops></style:paragraph-properties>") +
            CharacterProperties(CharacterPtOf(row.kind, style_), row.kind == RubyLineKind::Title) +
            QStringLiteral("</style:style>");
    return name;
  }

  const QString& Xml() const { return xml_; }

 private:
  const HandoutStyle& style_;
  QHash<QString, QString> names_;
  QString xml_;
};

// A row as a paragraph of content.xml.
void AppendRow(const HandoutRow& row, const HandoutStyle& style, RowStyles& rowStyles,
               QString& body) {
  if (row.cells.empty()) {
    body += QStringLiteral("<text:p text:style-name=\"Handout\"/>\n");
    return;
  }
  body += QStringLiteral("<text:p text:style-name=\"%1\">").arg(rowStyles.NameOf(row));
  for (const RubyCell* cell : row.cells) {
    body += QStringLiteral("<text:tab/>");
    if (cell->reading.isEmpty()) {
      // A blank keeps its cell; written as a character it would be collapsed.
      body += cell->character == QStringLiteral(" ") ? QStringLiteral("<text:s/>")
                                                     : HtmlEscaped(cell->character);
      continue;
    }
    body += QStringLiteral(
                "<text:ruby text:style-name=\"Ruby\"><text:ruby-base>%1</text:ruby-base>"
                "<text:ruby-text text:style-name=\"Reading\">%2</text:ruby-text></text:ruby>")
                .arg(HtmlEscaped(cell->character), HtmlEscaped(ShownReading(cell->reading, style)));
  }
  body += QStringLiteral("</text:p>\n");
}

// content.xml up to its body: the automatic styles, the row styles among them.
QString ContentHead(const RowStyles& rowStyles) {
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-content") +
         kNamespaces + QLatin1Char('>') + FontFaces() +
         QStringLiteral(
             "<office:automatic-styles>"
             "<style:style style:name=\"Ruby\" style:family=\"ruby\"><style:ruby-properties "
             "style:ruby-position=\"above\" style:ruby-align=\"center\"/></style:style>") +
         rowStyles.Xml() + QStringLiteral("</office:automatic-styles><office:body><office:text>\n");
}

constexpr const char* kContentTail = "</office:text></office:body></office:document-content>\n";

QString Meta(const QString& title) {
  return QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<office:document-meta") +
         kNamespaces +
         QStringLiteral(
             "><office:meta><dc:title>%1</dc:title><meta:generator>Ravlek"
             "</meta:generator></office:meta></office:document-meta>\n")
             .arg(HtmlEscaped(title));
}

constexpr const char* kManifest =
    "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
    "<manifest:manifest xmlns:manifest=\"urn:oasis:names:tc:opendocument:xmlns:manifest:1.0\" "
    "manifest:version=\"1.3\">\n"
    " <manifest:file-entry manifest:full-path=\"/\" manifest:version=\"1.3\" "
    "manifest:media-type=\"application/vnd.oasis.opendocument.text\"/>\n"
    " <manifest:file-entry manifest:full-path=\"content.xml\" manifest:media-type=\"text/xml\"/>\n"
    " <manifest:file-entry manifest:full-path=\"styles.xml\" manifest:media-type=\"text/xml\"/>\n"
    " <manifest:file-entry manifest:full-path=\"meta.xml\" manifest:media-type=\"text/xml\"/>\n"
    "</manifest:manifest>\n";

[[noreturn]] void Fail(const char* what, zip_error_t* error) {
  const QString reason = QString::fromUtf8(zip_error_strerror(error));
  throw Error(QStringLiteral("Cannot make the OpenDocument file (%1): %2")
                  .arg(QLatin1String(what), reason));
}

// Copies the archive's error before the archive is given up, then fails with it.
[[noreturn]] void FailArchive(const char* what, zip_t* archive) {
  zip_error_t error;
  zip_error_init(&error);
  zip_error_set(&error, zip_error_code_zip(zip_get_error(archive)),
                zip_error_code_system(zip_get_error(archive)));
  zip_discard(archive);
  Fail(what, &error);
}

// The time the members of a document carry: SOURCE_DATE_EPOCH where it is set, so that the same
// text makes the same bytes (reproducible documents, and the same handout from every program of
// ours), else now.
time_t DocumentTime() {
  bool ok = false;
  const qint64 epoch = qEnvironmentVariable("SOURCE_DATE_EPOCH").toLongLong(&ok);
  return ok && epoch >= 315532800 ? time_t(epoch) : time(nullptr);  // a zip cannot hold pre-1980
}

// content.xml read by the archive as it compresses it: its head, the body from its file, its
// tail, a piece at a time.
struct ContentSource {
  QByteArray head;
  QFile* body = nullptr;
  QByteArray tail;
  time_t mtime = 0;
  int part = 0;   // 0 head, 1 body, 2 tail, 3 done
  qint64 at = 0;  // in head or tail
  zip_error_t error;

  qint64 Size() const { return head.size() + body->size() + tail.size(); }

  zip_int64_t Read(char* data, zip_uint64_t length) {
    zip_uint64_t done = 0;
    while (done < length && part < 3) {
      if (part == 1) {
        const qint64 read = body->read(data + done, qint64(length - done));
        if (read < 0) {
          zip_error_set(&error, ZIP_ER_READ, EIO);
          return -1;
        }
        if (read == 0) part = 2;
        done += zip_uint64_t(read);
        continue;
      }
      const QByteArray& bytes = part == 0 ? head : tail;
      const qint64 n = std::min<qint64>(bytes.size() - at, qint64(length - done));
      std::memcpy(data + done, bytes.constData() + at, size_t(n));
      at += n;
      done += zip_uint64_t(n);
      if (at == bytes.size()) {
        ++part;
        at = 0;
      }
    }
    return zip_int64_t(done);
  }

  static zip_int64_t Callback(void* state, void* data, zip_uint64_t length, zip_source_cmd_t cmd) {
    auto* self = static_cast<ContentSource*>(state);
    switch (cmd) {
      case ZIP_SOURCE_OPEN:
        self->part = 0;
        self->at = 0;
        if (!self->body->seek(0)) {
          zip_error_set(&self->error, ZIP_ER_SEEK, EIO);
          return -1;
        }
        return 0;
      case ZIP_SOURCE_READ:
        return self->Read(static_cast<char*>(data), length);
      case ZIP_SOURCE_CLOSE:
      case ZIP_SOURCE_FREE:
        return 0;
      case ZIP_SOURCE_STAT: {
        auto* stat = static_cast<zip_stat_t*>(data);
        zip_stat_init(stat);
        stat->size = zip_uint64_t(self->Size());
        stat->mtime = self->mtime;
        stat->valid |= ZIP_STAT_SIZE | ZIP_STAT_MTIME;
        return sizeof(zip_stat_t);
      }
      case ZIP_SOURCE_ERROR:
        return zip_error_to_data(&self->error, data, length);
      case ZIP_SOURCE_SUPPORTS:
        return ZIP_SOURCE_SUPPORTS_READABLE;
      default:
        zip_error_set(&self->error, ZIP_ER_OPNOTSUPP, 0);
        return -1;
    }
  }
};

// Flushed to the body's file at this many UTF-16 units.
constexpr qsizetype kBodyChunk = 256 * 1024;

}  // namespace

struct RubyOdtWriter::Impl {
  explicit Impl(const HandoutStyle& s) : style(s), rowStyles(style) {}

  void Flush() {
    const QByteArray bytes = pending.toUtf8();
    pending.clear();
    if (bodyFile.write(bytes) != bytes.size()) {
      throw CannotCreateFileError(bodyFile.fileName(), bodyFile.errorString());
    }
  }

  HandoutStyle style;
  RowStyles rowStyles;
  QTemporaryFile bodyFile;
  QString pending;  // the body not yet in its file
  QString title;
};

RubyOdtWriter::RubyOdtWriter(const HandoutStyle& style) : impl_(std::make_unique<Impl>(style)) {
  if (!impl_->bodyFile.open()) {
    throw CannotCreateFileError(impl_->bodyFile.fileTemplate(), impl_->bodyFile.errorString());
  }
}

RubyOdtWriter::~RubyOdtWriter() = default;

void RubyOdtWriter::AddLine(const RubyLine& line) {
  if (impl_->title.isEmpty()) impl_->title = LineTitle(line);
  std::vector<HandoutRow> rows;
  LayOutLine(line, impl_->style, rows);
  for (const HandoutRow& row : rows) AppendRow(row, impl_->style, impl_->rowStyles, impl_->pending);
  if (impl_->pending.size() >= kBodyChunk) impl_->Flush();
}

void RubyOdtWriter::Finish(const QString& path) {
  Impl& d = *impl_;
  d.Flush();
  if (!d.bodyFile.flush())
    throw CannotCreateFileError(d.bodyFile.fileName(), d.bodyFile.errorString());
  const QString title = d.title.isEmpty() ? HandoutTitle({}) : d.title;
  const QByteArray members[][2] = {
      {"mimetype", kMimeType},
      {"META-INF/manifest.xml", kManifest},
      {"meta.xml", Meta(title).toUtf8()},
      {"styles.xml", Styles(d.style).toUtf8()},
  };
  ContentSource content;
  content.head = ContentHead(d.rowStyles).toUtf8();
  content.body = &d.bodyFile;
  content.tail = kContentTail;
  content.mtime = DocumentTime();
  zip_error_init(&content.error);

  int code = 0;
  zip_t* archive = zip_open(QFile::encodeName(path).constData(), ZIP_CREATE | ZIP_TRUNCATE, &code);
  if (!archive) {
    zip_error_t error;
    zip_error_init_with_code(&error, code);
    Fail("open", &error);
  }
  const auto add = [&](const char* name, zip_source_t* data, zip_int32_t method) {
    const zip_int64_t index = data ? zip_file_add(archive, name, data, ZIP_FL_ENC_UTF_8) : -1;
    if (index < 0) {
      if (data) zip_source_free(data);
      FailArchive("member", archive);
    }
    zip_set_file_compression(archive, zip_uint64_t(index), method, 0);
    // One time for every member (a buffer would take the moment it was made).
    zip_file_set_mtime(archive, zip_uint64_t(index), content.mtime, 0);
  };
  for (const auto& member : members) {
    // The mimetype comes first and uncompressed, so that it can be read at a fixed offset.
    add(member[0].constData(),
        zip_source_buffer(archive, member[1].constData(), zip_uint64_t(member[1].size()), 0),
        &member == &members[0] ? ZIP_CM_STORE : ZIP_CM_DEFLATE);
  }
  add("content.xml", zip_source_function(archive, &ContentSource::Callback, &content),
      ZIP_CM_DEFLATE);
  if (zip_close(archive) < 0) FailArchive("close", archive);
}

QByteArray RubyOdtDocument(const std::vector<RubyLine>& text, const HandoutStyle& style) {
  RubyOdtWriter writer(style);
  for (const RubyLine& line : text) writer.AddLine(line);
  QTemporaryDir dir;
  if (!dir.isValid()) throw CannotCreateFileError(dir.path(), dir.errorString());
  const QString path = dir.filePath(QStringLiteral("handout.odt"));
  writer.Finish(path);
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) throw CannotOpenFileError(path, file.errorString());
  return file.readAll();
}

}  // namespace ravlek
