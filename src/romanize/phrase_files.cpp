#include "romanize/phrase_files.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <mutex>

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// Reads one file into the table; its problems in the user's words.
void AddFile(const QString& path, PhraseTable& table, QStringList (*add)(PhraseTable&, QStringView),
             QStringList& problems) {
  QFile file(path);
  if (!file.open(QIODevice::ReadOnly)) {
    problems.append(u"讀不到詞語檔 %1（%2），其中的詞不用來選讀音。"_s.arg(
        QDir::toNativeSeparators(path), file.errorString()));
    return;
  }
  const QString text = QString::fromUtf8(file.readAll());
  static const QRegularExpression lineNumber(u"^line (\\d+)"_s);
  for (const QString& problem : add(table, text)) {
    const QRegularExpressionMatch match = lineNumber.match(problem);
    problems.append(u"詞語檔 %1 第 %2 行讀不懂，略過。"_s.arg(
        QDir::toNativeSeparators(path), match.hasMatch() ? match.captured(1) : problem));
  }
}

QStringList AddClassical(PhraseTable& table, QStringView text) {
  return table.AddClassicalTsv(text);
}

QStringList AddTerra(PhraseTable& table, QStringView text) {
  return table.AddTerraTsv(text);
}

}  // namespace

QStringList LoadShippedPhrases(const QString& appDir, PhraseTable& table) {
  const QDir dir(appDir);
  QStringList problems;
  AddFile(dir.filePath(kClassicalPhraseFile), table, &AddClassical, problems);
  AddFile(dir.filePath(kTerraPhraseFile), table, &AddTerra, problems);
  return problems;
}

QStringList LoadPhrases(const QString& appDir, PhraseTable& table) {
  QStringList problems;
  // The user's own phrase file (PhraseSource::User) is read here, before the shipped files.
  problems += LoadShippedPhrases(appDir, table);
  return problems;
}

LoadedPhrases ProcessPhrases(const QString& appDir) {
  static std::mutex mutex;
  static QHash<QString, LoadedPhrases> loaded;
  const std::lock_guard<std::mutex> lock(mutex);
  const auto found = loaded.constFind(appDir);
  if (found != loaded.cend()) return *found;
  auto table = std::make_shared<PhraseTable>();
  LoadedPhrases result;
  result.problems = LoadPhrases(appDir, *table);
  result.table = std::move(table);
  loaded.insert(appDir, result);
  return result;
}

}  // namespace ravlek
