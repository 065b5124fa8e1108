// ravlek-cli's help and version, and its usage errors: help goes to standard output with exit
// status 0, a usage error to standard error with exit status 2.
#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QProcessEnvironment>

#include "build_paths.h"

#include "tests/support/run_cli.h"

namespace {

using namespace Qt::StringLiterals;

using Result = ravlek::test::CliTextRun;
using ravlek::test::RunCli;

const QStringList kCommands = {u"export"_s, u"fanqie"_s,  u"filter"_s, u"import"_s,   u"lookup"_s,
                               u"metre"_s,  u"phrases"_s, u"rhymes"_s, u"romanize"_s, u"upgrade"_s};

struct HelpCase {
  const char* name;
  QStringList args;
  QString startsWith;
  QString mentions;
};

class CliHelpTest : public ::testing::TestWithParam<HelpCase> {};

TEST_P(CliHelpTest, HelpGoesToStandardOutput) {
  const Result result = RunCli(GetParam().args);
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_TRUE(result.err.isEmpty()) << result.err.toStdString();
  EXPECT_TRUE(result.out.startsWith(GetParam().startsWith)) << result.out.toStdString();
  EXPECT_TRUE(result.out.contains(GetParam().mentions)) << result.out.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliHelpTest,
    ::testing::Values(
        HelpCase{"Help",
                 {u"--help"_s},
                 u"Usage: ravlek-cli [--app-dir DIR | --db FILE] COMMAND"_s,
                 u"Exit status:"_s},
        HelpCase{"ShortHelp", {u"-h"_s}, u"Usage: "_s, u"Commands:"_s},
        HelpCase{"HelpCommand", {u"help"_s}, u"Usage: "_s, u"Commands:"_s},
        HelpCase{"HelpAfterGlobalOption",
                 {u"--db"_s, u"x.db"_s, u"--help"_s},
                 u"Usage: "_s,
                 u"--version"_s},
        HelpCase{"Version", {u"--version"_s}, u"ravlek-cli "_s, u"."_s},
        HelpCase{"CommandHelp",
                 {u"romanize"_s, u"--help"_s},
                 u"Usage: ravlek-cli [--app-dir DIR | --db FILE] romanize "_s,
                 u"--tone-marks"_s},
        HelpCase{"HelpOfCommand", {u"help"_s, u"lookup"_s}, u"Usage: "_s, u"--spell TEXT"_s},
        HelpCase{"FanqieHelp", {u"fanqie"_s, u"-h"_s}, u"Usage: "_s, u"--synthesize"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CliHelp, NamesEveryCommandWithItsSummary) {
  const Result result = RunCli({u"--help"_s});
  for (const QString& command : kCommands) {
    EXPECT_TRUE(result.out.contains(u"\n  "_s + command + u' ')) << command.toStdString();
    const Result own = RunCli({command, u"--help"_s});
    EXPECT_EQ(own.exitCode, 0) << command.toStdString();
    // The first line of the command's own help is its line in the list.
    const QString summary = own.out.section(u'\n', 1, 1);
    EXPECT_FALSE(summary.isEmpty()) << command.toStdString();
    EXPECT_TRUE(result.out.contains(summary)) << command.toStdString();
  }
}

struct UsageCase {
  const char* name;
  QStringList args;
  QString says;
};

class CliUsageErrorTest : public ::testing::TestWithParam<UsageCase> {};

TEST_P(CliUsageErrorTest, UsageErrorsGoToStandardErrorWithStatus2) {
  const Result result = RunCli(GetParam().args);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
  EXPECT_TRUE(result.err.contains(GetParam().says)) << result.err.toStdString();
}

INSTANTIATE_TEST_SUITE_P(
    Cases, CliUsageErrorTest,
    ::testing::Values(
        UsageCase{"NoCommand", {}, u"no command given"_s},
        UsageCase{"UnknownCommand", {u"bogus"_s}, u"unknown command bogus"_s},
        UsageCase{"UnknownOption", {u"--bogus"_s}, u"unknown option --bogus"_s},
        UsageCase{"HelpOfUnknownCommand", {u"help"_s, u"bogus"_s}, u"unknown command bogus"_s},
        UsageCase{"UnknownCommandOption", {u"romanize"_s, u"--bogus"_s}, u"usage: ravlek-cli"_s},
        UsageCase{"MissingValue", {u"--db"_s}, u"--db needs a value"_s}),
    [](const auto& info) { return std::string(info.param.name); });

// Each command's usage error: its first line names the command and the bad argument, then comes
// the command's usage line; nothing reaches standard output and nothing is read or opened.
struct CommandUsageCase {
  QStringList args;
  QString firstLine;
};

TEST(CliUsageError, NamesTheBadArgumentOfEachCommand) {
  const CommandUsageCase cases[] = {
      {{u"export"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"export"_s, u"--table"_s}, u"--table needs a value"_s},
      {{u"fanqie"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"fanqie"_s, u"a.txt"_s, u"b.txt"_s}, u"unexpected argument b.txt"_s},
      {{u"filter"_s, u"--frobnicate"_s, u"x"_s}, u"unknown option --frobnicate"_s},
      {{u"filter"_s, u"--dataset"_s}, u"--dataset needs a value"_s},
      {{u"import"_s, u"-frobnicate"_s}, u"unknown option -frobnicate"_s},
      {{u"import"_s, u"--table"_s, u"BaseWords"_s, u"--to"_s}, u"--to needs a value"_s},
      {{u"lookup"_s, u"--char"_s, u"x"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"lookup"_s, u"--spell"_s}, u"--spell needs a value"_s},
      {{u"lookup"_s, u"--char"_s, u"x"_s, u"--char"_s, u"y"_s}, u"--char given twice"_s},
      {{u"metre"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"metre"_s, u"--tsv=yes"_s}, u"unexpected value after '--tsv'"_s},
      {{u"phrases"_s}, u"no action given"_s},
      {{u"phrases"_s, u"bogus"_s}, u"unknown action bogus"_s},
      {{u"phrases"_s, u"keep"_s, u"不亦[說]乎"_s}, u"keep needs PHRASE READING"_s},
      {{u"phrases"_s, u"list"_s, u"x"_s}, u"unexpected argument x"_s},
      {{u"phrases"_s, u"--note"_s, u"x"_s, u"list"_s}, u"--note goes with keep only"_s},
      {{u"rhymes"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"rhymes"_s, u"extra"_s}, u"unexpected argument extra"_s},
      {{u"romanize"_s, u"--frobnicate"_s}, u"unknown option --frobnicate"_s},
      {{u"romanize"_s, u"--html"_s, u"--choose"_s}, u"--choose needs a value"_s},
      {{u"romanize"_s, u"--odt"_s, u"--reading-size"_s, u"2"_s},
       u"--reading-size takes 4 to 200 points, not 2"_s},
  };
  for (const CommandUsageCase& c : cases) {
    const QString command = c.args.first();
    const Result result = RunCli(QStringList{u"--db"_s, u"/nonexistent/x.db"_s} + c.args);
    const QStringList lines = result.err.split(u'\n');
    EXPECT_EQ(result.exitCode, 2) << c.args.join(u' ').toStdString();
    EXPECT_TRUE(result.out.isEmpty()) << result.out.toStdString();
    EXPECT_EQ(lines.value(0), u"ravlek-cli "_s + command + u": "_s + c.firstLine);
    EXPECT_TRUE(
        lines.value(1).startsWith(u"usage: ravlek-cli [--app-dir DIR | --db FILE] "_s + command))
        << result.err.toStdString();
  }
}

// "--help" after a command's first argument is that argument's text, not a request for help.
TEST(CliHelp, HelpAsASearchTextIsSearched) {
  const Result result =
      RunCli({u"--db"_s, u"/nonexistent/x.db"_s, u"lookup"_s, u"--char"_s, u"--help"_s});
  EXPECT_EQ(result.exitCode, 1);  // it went on to open the dictionary
  EXPECT_FALSE(result.out.startsWith(u"Usage:"_s));
}

// docs/command-line.md shows the help as the program writes it.
TEST(CliHelp, TheDocumentShowsTheHelp) {
  QFile document(QStringLiteral(RAVLEK_SOURCE_DIR "/docs/command-line.md"));
  ASSERT_TRUE(document.open(QIODevice::ReadOnly));
  const QString text = QString::fromUtf8(document.readAll());
  for (const QStringList& args : {QStringList{u"--help"_s}, QStringList{u"metre"_s, u"--help"_s}}) {
    const QString shown = u"`ravlek-cli "_s + args.join(u' ');
    const qsizetype at = text.indexOf(u"```\n"_s, text.indexOf(shown, text.indexOf(u"## Help"_s)));
    ASSERT_GE(at, 0) << shown.toStdString();
    const qsizetype end = text.indexOf(u"```\n"_s, at + 4);
    EXPECT_EQ(text.mid(at + 4, end - at - 4), RunCli(args).out)
        << "docs/command-line.md: the output of " << shown.toStdString() << " differs";
  }
}

// The manual page is made from the help at build time.
TEST(CliHelp, ManualPageIsMadeFromTheHelp) {
  QFile page(QStringLiteral(RAVLEK_CLI_MAN_PAGE));
  ASSERT_TRUE(page.open(QIODevice::ReadOnly)) << RAVLEK_CLI_MAN_PAGE;
  const QString text = QString::fromUtf8(page.readAll());
  EXPECT_TRUE(text.contains(u".TH RAVLEK-CLI \"1\""_s));
  EXPECT_TRUE(text.contains(u"\\-\\-app\\-dir"_s));
  for (const QString& command : kCommands) EXPECT_TRUE(text.contains(command));
  // The help's Chinese survives: under the C locale every character of it came out as '?'.
  EXPECT_TRUE(text.contains(u"台語Ostrel輔助系統"_s));
  EXPECT_FALSE(text.contains(u"??"_s));
}

}  // namespace

// The archive library is loaded by the one command that writes archives, not at every start: the
// dynamic loader names each library it loads (LD_DEBUG=files).
TEST(CliStart, VersionLoadsNoArchiveLibrary) {
  QProcess process;
  QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
  environment.insert(u"LD_DEBUG"_s, u"files"_s);
  process.setProcessEnvironment(environment);
  process.start(QStringLiteral(RAVLEK_CLI_PATH), {u"--version"_s});
  ASSERT_TRUE(process.waitForFinished(60000));
  EXPECT_EQ(process.exitCode(), 0);
  const QString loaded = QString::fromLocal8Bit(process.readAllStandardError());
  ASSERT_TRUE(loaded.contains(u"libQt6Core"_s)) << "LD_DEBUG said nothing";
  EXPECT_FALSE(loaded.contains(u"libzip"_s)) << loaded.toStdString();
}
