#include "romanize/phrase_files.h"

#include <QDir>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <mutex>

#include "base/error.h"
#include "romanize/user_phrases.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

// Reads one file into the table; its problems in the user's words.
void AddFile(const QString& path, PhraseTable& table,
             QStringList (*add)(PhraseTable&, const QString&), QStringList& problems) {
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

QStringList AddClassical(PhraseTable& table, const QString& text) {
  return table.AddClassicalTsv(text);
}

QStringList AddTerra(PhraseTable& table, const QString& text) {
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

QStringList LoadUserPhrases(const QString& appDir, PhraseTable& table) {
  const QString path = UserPhrasesPath(appDir);
  QStringList problems;
  try {
    const UserPhraseFile file = ReadUserPhrases(path);
    for (const QString& problem : file.Problems()) {
      problems.append(u"自訂詞檔 %1 %2，此行不用（仍留在檔中）。"_s.arg(
          QDir::toNativeSeparators(path), problem));
    }
    file.AddTo(table);
  } catch (const Error& error) {
    problems.append(error.message() + u"，自訂詞不用來選讀音。"_s);
  }
  return problems;
}

QStringList LoadPhrases(const QString& appDir, PhraseTable& table) {
  QStringList problems = LoadUserPhrases(appDir, table);
  problems += LoadShippedPhrases(appDir, table);
  return problems;
}

LoadedPhrases ProcessPhrases(const QString& appDir) {
  struct Kept {
    QString userStamp;
    LoadedPhrases phrases;
  };
  static std::mutex mutex;
  static QHash<QString, Kept> loaded;
  const std::lock_guard<std::mutex> lock(mutex);
  // The shipped files change only with an upgrade, which restarts the program; the user's file
  // changes while it runs (a reading kept in the handout preview, ravlek-cli phrases).
  const QString stamp = UserPhrasesStamp(UserPhrasesPath(appDir));
  const auto found = loaded.constFind(appDir);
  if (found != loaded.cend() && found->userStamp == stamp) return found->phrases;
  auto table = std::make_shared<PhraseTable>();
  LoadedPhrases result;
  result.problems = LoadPhrases(appDir, *table);
  result.table = std::move(table);
  loaded.insert(appDir, {stamp, result});
  return result;
}

}  // namespace ravlek
