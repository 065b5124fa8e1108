// The API's answers: each reads its fields, calls the core and writes JSON (or a document).

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <mutex>

#include "base/error.h"
#include "base/text_input.h"
#include "classroom_server.h"
#include "dictionary/character_lookup.h"
#include "dictionary/fanqie_synthesis_text.h"
#include "dictionary/filter.h"
#include "dictionary/lookup_filters.h"
#include "dictionary/lookup_status.h"
#include "dictionary/tailo.h"
#include "metre/metre_report.h"
#include "romanize/reading_choice_file.h"
#include "romanize/ruby_html.h"
#include "romanize/ruby_odt.h"

namespace ravlek::server {

namespace {

// A request's fields: a JSON object, or the query or form fields.
class Fields {
 public:
  explicit Fields(const httplib::Request& request) : request_(request) {
    if (request.get_header_value("Content-Type").find("application/json") == 0) {
      QJsonParseError error;
      const QJsonDocument document = QJsonDocument::fromJson(
          QByteArray::fromRawData(request.body.data(), qsizetype(request.body.size())), &error);
      if (!document.isObject()) {
        problem_ = QStringLiteral("請求的格式不對：不是 JSON 物件。");
      } else {
        json_ = document.object();
        isJson_ = true;
      }
    }
  }
  const QString& Problem() const { return problem_; }
  bool Has(const char* name) const {
    return isJson_ ? json_.contains(QLatin1String(name)) : request_.has_param(name);
  }
  QString Text(const char* name) const {
    if (isJson_) {
      const QJsonValue value = json_.value(QLatin1String(name));
      return value.isDouble() ? QString::number(value.toDouble()) : value.toString();
    }
    return QString::fromStdString(request_.get_param_value(name));
  }
  bool Flag(const char* name, bool otherwise = false) const {
    if (!Has(name)) return otherwise;
    if (isJson_) return json_.value(QLatin1String(name)).toBool();
    const QString value = Text(name);
    return value == QLatin1String("1") || value == QLatin1String("true") ||
           value == QLatin1String("on");
  }

 private:
  const httplib::Request& request_;
  QJsonObject json_;
  bool isJson_ = false;
  QString problem_;
};

Reply JsonReply(const QJsonObject& object) {
  Reply reply;
  reply.body = QJsonDocument(object).toJson(QJsonDocument::Compact);
  return reply;
}

// The lines of a text as the command line reads them: LF or CR LF ends a line, and a text that
// ends with a line break has no empty line after it.
QStringList TextLines(const QString& text) {
  QStringList lines = text.split(u'\n');
  if (text.endsWith(u'\n')) lines.removeLast();
  for (QString& line : lines) {
    if (line.endsWith(u'\r')) line.chop(1);
  }
  return lines;
}

QString ShownTaiLo(const QString& reading) {
  return reading.isEmpty() ? reading : ToneMarkedTaiLo(reading);
}

constexpr std::chrono::milliseconds kPdfTime{60000};

QString PdfConverter() {
  for (const char* name : {"soffice", "libreoffice"}) {
    const QString path = QStandardPaths::findExecutable(QString::fromLatin1(name));
    if (!path.isEmpty()) return path;
  }
  return QString();
}

// The ODT as PDF by LibreOffice, headless, with a profile of its own; empty on failure.
QByteArray OdtAsPdf(const QByteArray& odt, const Deadline& deadline) {
  // One conversion at a time: LibreOffice is heavy, and a class prints a handout now and then.
  static std::mutex one;
  std::unique_lock lock(one, std::defer_lock);
  while (!lock.try_lock()) {
    if (deadline.Passed()) throw TimeLimitExceeded{};
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
  }
  QTemporaryDir folder;
  QFile file(folder.filePath(QStringLiteral("handout.odt")));
  if (!folder.isValid() || !file.open(QIODevice::WriteOnly) || file.write(odt) != odt.size()) {
    return {};
  }
  file.close();
  QProcess process;
  process.start(
      PdfConverter(),
      {QStringLiteral("-env:UserInstallation=file://") + folder.filePath("profile"),
       QStringLiteral("--headless"), QStringLiteral("--norestore"), QStringLiteral("--convert-to"),
       QStringLiteral("pdf"), QStringLiteral("--outdir"), folder.path(), file.fileName()});
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
      deadline.End() - std::chrono::steady_clock::now());
  if (!process.waitForFinished(int(std::max<qint64>(left.count(), 1)))) {
    process.kill();
    process.waitForFinished();
    throw TimeLimitExceeded{};
  }
  QFile pdf(folder.filePath(QStringLiteral("handout.pdf")));
  return pdf.open(QIODevice::ReadOnly) ? pdf.readAll() : QByteArray();
}

}  // namespace

Reply ClassroomServer::Lookup(const httplib::Request& request) {
  const Fields fields(request);
  const auto snapshot = dictionary_.Current();
  const HeldRows& rows = snapshot->lookupRows;
  QString text;
  QString filter;
  QString status;
  std::vector<int> passing;
  // The three searches of the lookup page, with its rules.
  if (fields.Has("char")) {
    HeldCharacterRows characterRows(rows);
    const CharacterLookup lookup = LookUpCharacters(fields.Text("char"), characterRows);
    text = lookup.text;
    status = lookup.status;
    passing = std::move(characterRows.Passing());
  } else if (fields.Has("spell")) {
    // Romanisation as books print it (tone marks, POJ) is read as the rows' numeric Tâi-lô.
    text = NumericTaiLo(fields.Text("spell")).toLower();
    const QString classText = fields.Has("class") ? fields.Text("class") : QStringLiteral("全");
    passing = PassingRows(rows, SpellFilter(text, classText));
    if (passing.empty()) status = NoReadingStatus(text.trimmed(), classText);
  } else if (fields.Has("rhyme")) {
    text = fields.Text("rhyme");
    passing = PassingRows(rows, RhymeFilter(text));
    if (!NamesARhyme(text)) {
      status = NotARhymeStatus(text);
    } else if (passing.empty()) {
      status = NoRhymeRowsStatus(text);
    }
  } else {
    return ErrorReply(400, QStringLiteral("請給 char、spell 或 rhyme 其中一項。"));
  }
  QJsonArray fieldNames;
  std::vector<int> columns;
  for (const QString& name : LookupGridFields()) {
    fieldNames.append(name);
    columns.push_back(rows.FieldIndex(name));
  }
  QJsonArray found;
  const size_t shown = std::min(passing.size(), size_t(limits_.lookupRows));
  for (size_t i = 0; i < shown; ++i) {
    QJsonArray row;
    for (const int column : columns) {
      row.append(column < 0 ? QString() : rows.columns[size_t(column)].View(passing[i]).toString());
    }
    found.append(row);
  }
  return JsonReply({{QStringLiteral("search"), text},
                    {QStringLiteral("fields"), fieldNames},
                    {QStringLiteral("rows"), found},
                    {QStringLiteral("total"), qint64(passing.size())},
                    {QStringLiteral("truncated"), passing.size() > shown},
                    {QStringLiteral("status"), status}});
}

Reply ClassroomServer::Convert(const httplib::Request& request) {
  const Deadline deadline(limits_.time);
  const Fields fields(request);
  if (!fields.Problem().isEmpty()) return ErrorReply(400, fields.Problem());
  const QString text = fields.Text("text");
  if (size_t(text.toUtf8().size()) > limits_.textBytes) {
    return ErrorReply(413, ErrorText(413, limits_));
  }
  ConversionOptions options;
  options.ancient = fields.Flag("ancient");
  options.colloquial = fields.Flag("colloquial");
  options.classMarks = fields.Flag("classMarks", true);
  options.separator = fields.Flag("separator", true);
  const bool toneMarks = fields.Flag("toneMarks");
  const QStringList lines = TextLines(text);

  const auto snapshot = dictionary_.Current();
  ConversionCaches* caches = conversions_.Take(deadline);
  if (!caches) throw TimeLimitExceeded{};
  ConvertedText converted;
  try {
    converted = ConvertText(*snapshot, *caches, lines, options, toneMarks,
                            [&deadline] { deadline.Check(); });
  } catch (...) {
    conversions_.Give(caches);
    throw;
  }
  conversions_.Give(caches);

  QJsonArray out;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    QJsonArray cells;
    for (const RubyCell& cell : converted.cells[size_t(i)].cells) {
      QJsonArray readings;
      for (const ClassReading& reading : cell.readings) {
        readings.append(QJsonObject{{QStringLiteral("class"), QString(reading.classCharacter)},
                                    {QStringLiteral("reading"), reading.reading},
                                    {QStringLiteral("shown"), ShownTaiLo(reading.reading)}});
      }
      // Why this reading is written: the metre's choice, or the first of the first class.
      const bool byMetre = converted.metre.contains(cell.position) &&
                           converted.metre.value(cell.position) == cell.reading;
      cells.append(
          QJsonObject{{QStringLiteral("c"), cell.character},
                      {QStringLiteral("pos"), cell.position},
                      {QStringLiteral("readings"), readings},
                      {QStringLiteral("reading"), cell.reading},
                      {QStringLiteral("why"), cell.reading.isEmpty() ? QStringLiteral("none")
                                              : byMetre              ? QStringLiteral("metre")
                                                                     : QStringLiteral("first")}});
    }
    out.append(QJsonObject{{QStringLiteral("text"), lines[i]},
                           {QStringLiteral("romanized"), converted.romanized.value(i)},
                           {QStringLiteral("cells"), cells}});
  }
  return JsonReply(
      {{QStringLiteral("lines"), out}, {QStringLiteral("metreProblem"), converted.metreProblem}});
}

Reply ClassroomServer::Metre(const httplib::Request& request) {
  const Deadline deadline(limits_.time);
  const Fields fields(request);
  if (!fields.Problem().isEmpty()) return ErrorReply(400, fields.Problem());
  const QString text = fields.Text("text");
  if (size_t(text.toUtf8().size()) > limits_.textBytes)
    return ErrorReply(413, ErrorText(413, limits_));
  const auto snapshot = dictionary_.Current();
  if (!snapshot->metreProblem.isEmpty()) {
    return ErrorReply(503, QStringLiteral("無法檢查格律：%1").arg(snapshot->metreProblem));
  }
  const QList<metre::PoemCheck> checks =
      CheckPoems(*snapshot, TextLines(text), [&deadline] { deadline.Check(); });
  QJsonArray poems;
  int number = 0;
  for (const metre::PoemCheck& check : checks) {
    ++number;
    // The fields of ravlek-cli metre --tsv, named.
    QJsonArray verses;
    QJsonObject poem;
    for (const QString& row : metre::MetreTsv(check, number).split(u'\n', Qt::SkipEmptyParts)) {
      const QStringList f = row.split(u'\t');
      if (f.value(0) == QLatin1String("# poem")) {
        poem = {{QStringLiteral("number"), f.value(1).toInt()},
                {QStringLiteral("form"), f.value(2)},
                {QStringLiteral("rhyme"), f.value(3)},
                {QStringLiteral("faults"), f.value(4)}};
      } else {
        verses.append(QJsonObject{{QStringLiteral("number"), f.value(0).toInt()},
                                  {QStringLiteral("verse"), f.value(1).toInt()},
                                  {QStringLiteral("text"), f.value(2)},
                                  {QStringLiteral("tones"), f.value(3)},
                                  {QStringLiteral("rhyme"), f.value(4)},
                                  {QStringLiteral("readings"), f.value(5)}});
      }
    }
    QJsonArray findings;
    for (const metre::Finding& finding : check.faults) {
      findings.append(metre::FindingText(check, finding));
    }
    QJsonArray allowed;
    for (const metre::Finding& finding : check.allowed) {
      allowed.append(metre::FindingText(check, finding));
    }
    poem.insert(QStringLiteral("title"), check.title);
    poem.insert(QStringLiteral("verses"), verses);
    poem.insert(QStringLiteral("summary"), metre::FaultSummary(check));
    poem.insert(QStringLiteral("findings"), findings);
    poem.insert(QStringLiteral("allowed"), allowed);
    poem.insert(QStringLiteral("text"), metre::MetrePlainText(check, number));
    poems.append(poem);
  }
  return JsonReply({{QStringLiteral("poems"), poems}});
}

Reply ClassroomServer::Fanqie(const httplib::Request& request) {
  const Fields fields(request);
  if (!fields.Problem().isEmpty()) return ErrorReply(400, fields.Problem());
  const QString text = fields.Text("text");
  if (size_t(text.toUtf8().size()) > limits_.textBytes)
    return ErrorReply(413, ErrorText(413, limits_));
  const auto snapshot = dictionary_.Current();
  if (!snapshot->baseWordsProblem.isEmpty()) {
    return ErrorReply(503,
                      QStringLiteral("無法讀取反切用的字表：%1").arg(snapshot->baseWordsProblem));
  }
  // The notations are read from the text with its line breaks as CR LF, as the window holds it.
  const QString input = WithCrLfBreaks(text);
  SnapshotBaseWordLookup lookup(*snapshot);
  QJsonArray readings;
  for (const QString& line : ExtractFanqieReadings(input, lookup).split(QStringLiteral("\r\n"))) {
    if (!line.isEmpty()) readings.append(line);
  }
  QJsonArray synthesis;
  for (const QString& line :
       SynthesizeFanqieText(input, snapshot->literary).split(QStringLiteral("\r\n"))) {
    if (line.isEmpty()) continue;
    const QStringList f = line.split(u'\t');
    synthesis.append(
        QJsonObject{{QStringLiteral("notation"), f.value(0)},
                    {QStringLiteral("readings"),
                     QJsonArray::fromStringList(f.value(1).split(u'/', Qt::SkipEmptyParts))},
                    {QStringLiteral("steps"), f.value(2)},
                    {QStringLiteral("explained"), ExplainFanqieSynthesisLine(line)}});
  }
  return JsonReply({{QStringLiteral("readings"), readings},
                    {QStringLiteral("synthesis"), synthesis},
                    {QStringLiteral("legend"), FanqieStepsLegend()}});
}

Reply ClassroomServer::Handout(const httplib::Request& request) {
  const Fields fields(request);
  if (!fields.Problem().isEmpty()) return ErrorReply(400, fields.Problem());
  const QString text = fields.Text("text");
  if (size_t(text.toUtf8().size()) > limits_.textBytes)
    return ErrorReply(413, ErrorText(413, limits_));
  const QString format = fields.Has("format") ? fields.Text("format") : QStringLiteral("html");
  if (format != QLatin1String("html") && format != QLatin1String("odt") &&
      format != QLatin1String("pdf")) {
    return ErrorReply(400, QStringLiteral("講義的格式只有 html、odt 與 pdf。"));
  }
  // LibreOffice takes its time to start, more so on a busy machine.
  const Deadline deadline(format == QLatin1String("pdf") ? std::max(limits_.time, kPdfTime)
                                                         : limits_.time);
  HandoutStyle style;
  style.toneMarks = !fields.Flag("numeric");
  for (const auto& [name, pt] : {std::pair{"characterSize", &style.characterPt},
                                 std::pair{"readingSize", &style.readingPt}}) {
    if (!fields.Has(name) || fields.Text(name).isEmpty()) continue;
    bool ok = false;
    const double value = fields.Text(name).toDouble(&ok);
    // Below 4 points nothing can be read; above 200 not one character fits a line.
    if (!ok || value < 4 || value > 200) {
      return ErrorReply(400, QStringLiteral("字的大小要在 4 到 200 點之間。"));
    }
    *pt = value;
  }
  std::vector<ReadingChoiceLine> choiceLines;
  if (QString error; !ParseReadingChoices(fields.Text("choices"), choiceLines, error)) {
    return ErrorReply(400, QStringLiteral("選定的讀音不對：%1").arg(error));
  }
  RubyTextOptions options;
  options.conversion.ancient = fields.Flag("ancient");
  options.conversion.colloquial = fields.Flag("colloquial");
  options.title = fields.Flag("title");
  options.author = fields.Flag("author");
  const QStringList lines = TextLines(text);
  QString metreProblem;
  const std::vector<RubyLine> ruby =
      HandoutText(*dictionary_.Current(), lines, options, ChoicesOf(choiceLines), metreProblem);
  if (const QString fault = CheckReadingChoices(ruby, choiceLines); !fault.isEmpty()) {
    return ErrorReply(400, QStringLiteral("選定的讀音不對：%1").arg(fault));
  }
  Reply reply;
  QString name = HandoutTitle(ruby);
  if (name.isEmpty()) name = QStringLiteral("講義");
  if (format == QLatin1String("html")) {
    reply.type = "text/html; charset=utf-8";
    reply.body = RubyHtmlDocument(ruby, style).toUtf8();
    reply.inlineStyles = true;
    return reply;
  }
  const QByteArray odt = RubyOdtDocument(ruby, style);
  if (format == QLatin1String("odt")) {
    reply.type = "application/vnd.oasis.opendocument.text";
    reply.body = odt;
    reply.fileName = name + QStringLiteral(".odt");
    return reply;
  }
  if (PdfConverter().isEmpty()) {
    return ErrorReply(501, QStringLiteral("伺服器上沒有 LibreOffice，無法製作 PDF："
                                          "請開啟可列印的講義，用瀏覽器的「列印」存成 PDF。"));
  }
  reply.body = OdtAsPdf(odt, deadline);
  if (reply.body.isEmpty()) {
    return ErrorReply(500, QStringLiteral("LibreOffice 無法把講義轉成 PDF："
                                          "請開啟可列印的講義，用瀏覽器的「列印」存成 PDF。"));
  }
  reply.type = "application/pdf";
  reply.fileName = name + QStringLiteral(".pdf");
  return reply;
}

Reply ClassroomServer::Status() {
  const auto snapshot = dictionary_.Current();
  return JsonReply(
      {{QStringLiteral("rows"), snapshot->lookupRows.rowCount},
       {QStringLiteral("generation"), qint64(snapshot->generation)},
       {QStringLiteral("pdf"), !PdfConverter().isEmpty()},
       {QStringLiteral("metreProblem"), snapshot->metreProblem},
       {QStringLiteral("textBytes"), qint64(limits_.textBytes)},
       {QStringLiteral("seconds"),
        qint64(std::chrono::duration_cast<std::chrono::seconds>(limits_.time).count())}});
}

}  // namespace ravlek::server
