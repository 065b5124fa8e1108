// ravlek-cli's text input: strict UTF-8 decoding, then the conversion and the fanqie extraction
// through datasets on a small SQLite dictionary, as the romanize and fanqie commands run them.
// A decoded text re-encodes to the same bytes, and the part before a reported invalid byte is
// valid; the conversion gives one line per line and the extraction at most its limit of lines.

#include <QSqlDatabase>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <memory>

#include "base/error.h"
#include "base/text_input.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "dictionary/fanqie.h"
#include "fuzz_support.h"
#include "romanize/romanizer.h"

namespace {

using namespace ravlek;

// A dictionary whose characters include the filter language's special ones and a surrogate pair.
void MakeDictionary(const QString& path) {
  {
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QSQLITE"), QStringLiteral("make"));
    db.setDatabaseName(path);
    if (!db.open()) ravlek::fuzz::Fail("the fuzz dictionary cannot be created");
    QSqlQuery q(db);
    const char* const statements[] = {
        "create table RavlekTable (HanWord text, HanSpell text, Ptype text)",
        "create table BaseWords (HanWord text, HanSpell text)",
        "create table BaseWordsPlus (HanWord text, HanSpell text)",
        ("insert into RavlekTable values ('則','tsik4','文'),('則','tsit4','白'),"
         "('旰','kan3','通'),('切','tshiat4','文'),('反','huan2','通'),('''','q1','今'),"
         "('*','s2','古'),('%','p3','通'),('a','a1','文'),('𠀤','ping7','通'),('',null,'通'),"
         "(null,'n1','文')"),
        ("insert into BaseWords values ('則','tsik4'),('租','tsoo1'),('全','tsuan5'),"
         "('''','q1'),('*','s2'),('𠀤','ping7'),('a','')"),
        "insert into BaseWordsPlus values ('旰','kan3'),('縣','hian7'),('%','p3')",
    };
    for (const char* statement : statements) {
      if (!q.exec(QString::fromUtf8(statement))) {
        ravlek::fuzz::Fail("the fuzz dictionary cannot be filled");
      }
    }
  }
  QSqlDatabase::removeDatabase(QStringLiteral("make"));
}

struct Dictionary {
  QTemporaryDir folder;
  TFDConnection connection;
  std::unique_ptr<TFDQuery> conversion;
  std::unique_ptr<TFDQuery> baseWords;
  std::unique_ptr<TFDQuery> baseWordsPlus;

  Dictionary() {
    const QString path = folder.filePath(QStringLiteral("Ravlek.db"));
    MakeDictionary(path);
    if (!connection.OpenSqliteFile(path).ok()) ravlek::fuzz::Fail("the dictionary does not open");
    conversion = std::make_unique<TFDQuery>(
        connection, QStringLiteral("FDQuerySQLRavlekTable"),
        ravlek::DatasetStatement(QStringLiteral("FDQuerySQLRavlekTable")));
    baseWords =
        std::make_unique<TFDQuery>(connection, QStringLiteral("FDQueryBaseWords"),
                                   ravlek::DatasetStatement(QStringLiteral("FDQueryBaseWords")));
    baseWordsPlus = std::make_unique<TFDQuery>(
        connection, QStringLiteral("FDQueryBaseWordsPlus"),
        ravlek::DatasetStatement(QStringLiteral("FDQueryBaseWordsPlus")));
    baseWords->Open();
    baseWordsPlus->Open();
  }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static bool started = (ravlek::fuzz::StartQt(), true);
  (void)started;
  static Dictionary* dictionary = new Dictionary;

  const QByteArray bytes(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
  QString text;
  const std::optional<qsizetype> invalid = DecodeUtf8Strict(bytes, text);
  if (invalid) {
    ravlek::fuzz::Check(*invalid >= 0 && *invalid < bytes.size(), "invalid offset out of range");
    QString prefix;
    ravlek::fuzz::Check(!DecodeUtf8Strict(bytes.left(*invalid), prefix),
                        "the bytes before the first invalid one are not valid");
    return 0;
  }
  ravlek::fuzz::Check(text.toUtf8() == bytes, "a valid text does not re-encode to its bytes");

  ConversionOptions options;
  options.ancient = size % 2 == 1;
  options.colloquial = size % 3 == 1;
  options.classMarks = size % 5 != 1;
  options.separator = size % 7 != 1;
  const QStringList lines = SplitTextLines(text);
  try {
    DatasetClassReadingSource source(*dictionary->conversion);
    const QStringList romanised = RomanizeLines(lines, options, source);
    ravlek::fuzz::Check(romanised.size() == lines.size(), "not one romanised line per line");

    DatasetBaseWordLookup lookup(*dictionary->baseWords, *dictionary->baseWordsPlus);
    const QString readings = ExtractFanqieReadings(WithCrLfBreaks(text), lookup);
    ravlek::fuzz::Check(readings.count(QStringLiteral("\r\n")) <= kMaxFanqieNotations,
                        "more notations than the limit");
    ravlek::fuzz::Check(readings.isEmpty() || readings.endsWith(QStringLiteral("\r\n")),
                        "the last notation line does not end with CR LF");
  } catch (const Error& error) {
    std::fprintf(stderr, "%s\n", error.what());
    ravlek::fuzz::Fail("the conversion or the extraction raised an error");
  }
  return 0;
}
