// ravlek-cli phrases: the user's own phrase readings (user_phrases.tsv in the application folder),
// which romanize and metre read before the shipped phrase files: list, keep, remove, export and
// import.

#include <QDir>

#include "base/error.h"
#include "cli.h"
#include "dictionary/class_readings.h"
#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/datasets.h"
#include "metre/character_readings.h"
#include "romanize/user_phrases.h"

namespace ravlek::cli {
namespace {

// Every reading of each character, to refuse one a character does not have; false (said) when
// the dictionary cannot be opened.
bool ReadDictionary(const Invocation& command, metre::CharacterReadings& readings) {
  TFDConnection connection;
  if (!command.OpenDictionary(connection)) return false;
  const QString name = QStringLiteral("FDQuerySQLRavlekTable");
  TFDQuery query(connection, name, DatasetStatement(name));
  DatasetClassReadingSource source(query);
  readings = metre::CharacterReadings::FromSource(source);
  return true;
}

// The user's file's lines that cannot be read, on standard error.
void WarnProblems(const Invocation& command, const QString& path, const UserPhraseFile& file) {
  for (const QString& problem : file.Problems()) {
    command.Warn(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(path), problem));
  }
}

int Phrases(const Invocation& command) {
  const QStringList args = command.Arguments();
  const QString action = args.value(0);
  const QString path = UserPhrasesPath(command.AppDir());
  const QString note = command.Value(QStringLiteral("note"));
  // The action takes `count` arguments, named `what` when missing.
  const auto needs = [&](qsizetype count, const QString& what = QString()) {
    if (args.size() <= count) return QStringLiteral("%1 needs %2").arg(action, what);
    if (args.size() > count + 1)
      return QStringLiteral("unexpected argument %1").arg(args[count + 1]);
    return QString();
  };
  if (command.IsSet(QStringLiteral("note")) && action != u"keep") {
    return command.UsageError(QStringLiteral("--note goes with keep only"));
  }

  if (action == u"list") {
    if (const QString problem = needs(0); !problem.isEmpty()) return command.UsageError(problem);
    const UserPhraseFile file = ReadUserPhrases(path);
    WarnProblems(command, path, file);
    QByteArray out;
    for (const UserPhrase& phrase : file.Phrases()) out += UserPhraseLine(phrase).toUtf8() + '\n';
    WriteOut(out);
    return 0;
  }
  if (action == u"keep") {
    if (const QString problem = needs(2, QStringLiteral("PHRASE READING")); !problem.isEmpty())
      return command.UsageError(problem);
    UserPhrase stored;
    if (const QString problem = UserPhraseProblem({args[1], args[2], note}, &stored);
        !problem.isEmpty()) {
      return command.Fail(problem);
    }
    metre::CharacterReadings readings;
    if (!ReadDictionary(command, readings)) return 1;
    const QString problem = MissingReadingProblem(
        stored, [&readings](char32_t character) { return readings.Find(character); });
    if (!problem.isEmpty()) return command.Fail(problem);
    UserPhraseFile file = ReadUserPhrases(path);
    WarnProblems(command, path, file);
    const UserPhraseFile::Change change = file.Keep(stored);
    if (change != UserPhraseFile::Change::Unchanged) WriteUserPhrases(path, file);
    const QString said = change == UserPhraseFile::Change::Added      ? QStringLiteral("已新增")
                         : change == UserPhraseFile::Change::Replaced ? QStringLiteral("已取代")
                                                                      : QStringLiteral("未變");
    WriteOut(QStringLiteral("%1：%2\t%3\n").arg(said, stored.phrase, stored.reading).toUtf8());
    return 0;
  }
  if (action == u"remove") {
    if (const QString problem = needs(1, QStringLiteral("PHRASE")); !problem.isEmpty())
      return command.UsageError(problem);
    if (!RemoveUserPhrase(path, args[1])) {
      return command.Fail(QStringLiteral("自訂詞裡沒有 %1").arg(args[1].trimmed()));
    }
    WriteOut(QStringLiteral("已刪除：%1\n").arg(args[1].trimmed()).toUtf8());
    return 0;
  }
  if (action == u"export") {
    if (const QString problem = needs(1, QStringLiteral("FILE")); !problem.isEmpty())
      return command.UsageError(problem);
    WarnProblems(command, path, ReadUserPhrases(path));
    const qsizetype count = ExportUserPhrases(path, args[1]);
    WriteOut(QStringLiteral("已匯出 %1 條到 %2\n")
                 .arg(count)
                 .arg(QDir::toNativeSeparators(args[1]))
                 .toUtf8());
    return 0;
  }
  if (action == u"import") {
    if (const QString problem = needs(1, QStringLiteral("FILE")); !problem.isEmpty())
      return command.UsageError(problem);
    metre::CharacterReadings readings;
    if (!ReadDictionary(command, readings)) return 1;
    const UserPhraseImport result = ImportUserPhrases(
        path, args[1], [&readings](char32_t character) { return readings.Find(character); });
    for (const QString& refused : result.refused) {
      command.Warn(QStringLiteral("%1: %2").arg(QDir::toNativeSeparators(args[1]), refused));
    }
    WriteOut((ImportSummary(result) + u'\n').toUtf8());
    // What was refused is a failure a script must see, although the rest was kept.
    return result.refused.isEmpty() ? 0 : 1;
  }
  return command.UsageError(action.isEmpty() ? QStringLiteral("no action given")
                                             : QStringLiteral("unknown action %1").arg(action));
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("phrases");
  spec.summary = QStringLiteral(
      "Your own readings of characters in phrases, which romanize and metre read first.");
  spec.about = QStringLiteral(
      "The phrases are kept in user_phrases.tsv in the application folder, which an upgrade\n"
      "leaves alone: the first line names the fields; then per line the phrase with the "
      "character\nmeant in brackets (\u4e0d\u4ea6[\u8aaa]\u4e4e), its reading in numeric "
      "T\u00e2i-l\u00f4 and optionally a note (a tab, LF, CR and\nbackslash in it written \\t, "
      "\\n, \\r, \\\\). A line that cannot be read is named by its\nnumber and kept in the "
      "file. list writes the phrases in that form; keep adds a phrase or\nreplaces its reading "
      "(a reading the character does not have in the dictionary is refused);\nremove deletes "
      "it; export writes them to FILE; import keeps those of FILE and says how many\nwere "
      "added, replaced, unchanged and refused, each refused line with its number and why\n"
      "(exit status 1 when any was refused).");
  spec.options = {{{QStringLiteral("note")},
                   QStringLiteral("TEXT"),
                   QStringLiteral("(keep) a note kept with the reading")}};
  spec.arguments = {
      {QStringLiteral("ACTION"), QStringLiteral("list, keep, remove, export or import"), false},
      {QStringLiteral("PHRASE|FILE"),
       QStringLiteral("keep, remove: the phrase, the character meant in brackets; export, "
                      "import: the file")},
      {QStringLiteral("READING"),
       QStringLiteral("keep: the reading, in tone digits (uat8) or tone marks (ua\u030dt)")}};
  spec.run = &Phrases;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
