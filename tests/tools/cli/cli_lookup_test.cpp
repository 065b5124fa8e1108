#include <gtest/gtest.h>

#include <sys/resource.h>
#include <QDir>
#include <QFile>
#include <QProcess>

#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"

namespace {

using namespace ravlek;

using Result = test::CliTextRun;
using test::RunCli;

test::FixtureRow Row(const char* word, const char* type, const char* spell) {
  return {{"HanWord", QString::fromUtf8(word)},
          {"Ptype", QString::fromUtf8(type)},
          {"HanSpell", QString::fromUtf8(spell)}};
}

const char kHeader[] =
    "HanWord\tPtype\tHanSpell\tSpell_P\tSpell_P_Han\tInitial_C_type\tPoemRhyme\thong5se3\t"
    "PoemRhyme2\tPtypeDesc\n";

class CliLookupTest : public ::testing::Test {
 protected:
  static test::FixtureDictionary Rows() {
    test::FixtureDictionary dictionary;
    dictionary.ravlekRows = {Row("讚", "文", "tsan3"), Row("讚", "白", "tsuann3"),
                             Row("-x", "文", "an1"), Row(" 讚", "通", "kan1"),
                             Row("O'", "古", "pan1")};
    dictionary.ravlekRows[0]["PtypeDesc"] = QStringLiteral("a\tb\\c\r\nd");
    dictionary.ravlekRows[1]["PoemRhyme"] = QStringLiteral("上平十五删");
    dictionary.ravlekRows[2]["PoemRhyme"] = QStringLiteral("上平一東");
    dictionary.baseWords = {{QStringLiteral("則"), QStringLiteral("tsik4")},
                            {QStringLiteral("旰"), std::nullopt}};
    return dictionary;
  }
  CliLookupTest() : folder(Rows()) {}
  Result Lookup(const QStringList& args) {
    return RunCli(QStringList{"--app-dir", folder.Path(), "lookup"} + args);
  }
  test::FixtureAppFolder folder;
};

TEST_F(CliLookupTest, LookupPrintsTheGridRowsAsTsv) {
  struct Case {
    QStringList args;
    QStringList firstFields;  // HanWord:HanSpell of each row, in order
  };
  const Case cases[] = {
      {{"--char", "讚"}, {"讚:tsan3", "讚:tsuann3"}},
      {{"--char", " 讚"}, {" 讚:kan1"}},  // taken exactly, blank included
      {{"--char", "-x"}, {"-x:an1"}},
      {{"--char", "O'"}, {"O':pan1"}},
      {{"--char", ""}, {"讚:tsan3", "讚:tsuann3", "-x:an1", " 讚:kan1", "O':pan1"}},
      {{"--spell", " an1* "}, {"-x:an1", " 讚:kan1", "O':pan1"}},
      {{"--spell", "an1*", "--class", "白"}, {" 讚:kan1"}},
      {{"--spell", "an1*", "--class", "文"}, {"-x:an1", " 讚:kan1"}},
      {{"--spell", "tsa"}, {"讚:tsan3"}},
      // Case and blanks as the window takes them: the rows hold lower case.
      {{"--spell", "TSAN3"}, {"讚:tsan3"}},
      {{"--spell", " TSAN3 "}, {"讚:tsan3"}},
      {{"--spell", "\tTsuann3\n"}, {"讚:tsuann3"}},
      {{"--spell", "TSÀN"}, {"讚:tsan3"}},
      {{"--spell", "AN1*", "--class", "白"}, {" 讚:kan1"}},
      {{"--rhyme", "上平"}, {"讚:tsuann3", "-x:an1"}},
      {{"--rhyme", "十五刪"}, {"讚:tsuann3"}},  // 刪 for the list's 删, no tone part
      {{"--rhyme", "上平十五刪"}, {"讚:tsuann3"}},
      {{"--rhyme", "一東"}, {"-x:an1"}},
      {{"--rhyme", "下平"}, {}},
      {{"--rhyme", ""}, {"讚:tsan3", "讚:tsuann3", "-x:an1", " 讚:kan1", "O':pan1"}},
  };
  for (const Case& c : cases) {
    const Result result = Lookup(c.args);
    EXPECT_EQ(result.exitCode, 0) << c.args.join(' ').toStdString() << result.err.toStdString();
    QStringList lines = result.out.split('\n');
    ASSERT_GE(lines.size(), 2);
    EXPECT_EQ(lines.takeFirst() + '\n', QString::fromUtf8(kHeader));
    EXPECT_EQ(lines.takeLast(), "");
    QStringList rows;
    for (const QString& line : lines) {
      const QStringList fields = line.split('\t');
      EXPECT_EQ(fields.size(), 10);
      rows.append(fields.value(0) + ':' + fields.value(2));
    }
    EXPECT_EQ(rows, c.firstFields) << c.args.join(' ').toStdString();
  }
}

TEST_F(CliLookupTest, ValuesAreEscapedAndNullsPrintNothing) {
  const Result result = Lookup({"--char", "讚", "--class", "x"});
  EXPECT_EQ(result.exitCode, 2);  // --class only goes with --spell
  const Result row = Lookup({"--spell", "tsan3"});
  EXPECT_EQ(row.out, QString::fromUtf8(kHeader) + "讚\t文\ttsan3\t\t\t\t\t\t\ta\\tb\\\\c\\r\\nd\n");
  const Result base = RunCli({"--db", folder.DatabasePath(), "filter", "--dataset",
                              "FDQueryBaseWords", "HanWord ='旰' or HanWord ='則'"});
  EXPECT_EQ(base.exitCode, 0) << base.err.toStdString();
  EXPECT_EQ(base.out, "HanWord\tHanSpell\n則\ttsik4\n旰\t\n");
}

TEST_F(CliLookupTest, LongChainsAreAnsweredUnderASmallStack) {
  // Chains far longer than SQLite's parser nests, run with the 256 KB stack of a small machine:
  // the rows the window's held filter shows, never a refusal or a crash.
  const auto chain = [](int terms, const QString& joiner, const std::function<QString(int)>& term,
                        const QString& last) {
    QStringList parts;
    for (int i = 0; i < terms; ++i) parts.append(term(i));
    parts.append(last);
    return parts.join(joiner);
  };
  QString nested = QStringLiteral("HanWord ='-x'");
  for (int i = 0; i < 120; ++i) {
    nested =
        QStringLiteral("(HanWord ='q%1' or ([HanSpell] like 'an1' AND %2))").arg(i).arg(nested);
  }
  struct Case {
    const char* what;
    QString expression;
    QStringList rows;  // HanWord:HanSpell
  };
  const Case cases[] = {
      {"1000 values of one field",
       chain(
           1000, " or ", [](int i) { return QStringLiteral("HanWord ='x%1'").arg(i); },
           "HanWord ='讚'"),
       {"讚:tsan3", "讚:tsuann3"}},
      {"values of two fields",
       chain(
           1000, " OR ",
           [](int i) {
             return QString::fromLatin1(i % 2 ? "HanWord ='x%1'" : "HanSpell ='y%1'").arg(i);
           },
           "HanSpell ='an1'"),
       {"-x:an1"}},
      {"1000 prefixes",
       chain(
           1000, " or ", [](int i) { return QStringLiteral("HanSpell ='z%1*'").arg(i); },
           "HanSpell ='tsua*'"),
       {"讚:tsuann3"}},
      {"1000 patterns",
       chain(
           1000, " or ", [](int i) { return QStringLiteral("[HanSpell] like '%z%1'").arg(i); },
           "[HanSpell] like 'k%'"),
       {" 讚:kan1"}},
      {"1000 conditions that all hold",
       chain(
           1000, " AND ", [](int) { return QStringLiteral("[HanWord] like '%'"); }, "Ptype ='古'"),
       {"O':pan1"}},
      {"120 levels of parentheses", nested, {"-x:an1"}},
  };
  for (const Case& c : cases) {
    QProcess process;
    process.setChildProcessModifier([] {
      const rlimit small{256 * 1024, 256 * 1024};
      setrlimit(RLIMIT_STACK, &small);
    });
    process.start(
        QStringLiteral(RAVLEK_CLI_PATH),
        {"--db", folder.DatabasePath(), "filter", "--dataset", "FDQueryRavlekTable", c.expression});
    ASSERT_TRUE(process.waitForFinished(60000)) << c.what;
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit) << c.what;
    EXPECT_EQ(process.exitCode(), 0) << c.what << process.readAllStandardError().toStdString();
    QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
    const QStringList header = lines.takeFirst().split('\t');
    lines.removeLast();  // the end
    QStringList rows;
    for (const QString& line : lines) {
      const QStringList fields = line.split('\t');
      rows.append(fields.value(header.indexOf("HanWord")) + ':' +
                  fields.value(header.indexOf("HanSpell")));
    }
    EXPECT_EQ(rows, c.rows) << c.what;
  }
}

TEST_F(CliLookupTest, ErrorsAreOneClearLine) {
  struct Case {
    QStringList args;
    int exitCode;
    const char* message;
  };
  const Case cases[] = {
      {{"--db", folder.Path() + "/none.db", "lookup", "--char", "x"}, 1, "Database file not found"},
      {{"--app-dir", folder.Path() + "/none", "lookup", "--char", "x"},
       1,
       "Connection definition file not found"},
      {{"--db", folder.DatabasePath(), "filter", "--dataset", "FDQueryBaseWords", "HanWord ='x"},
       1,
       "position 10"},
      {{"--db", folder.DatabasePath(), "filter", "--dataset", "FDQueryBaseWords", "Nope ='x'"},
       1,
       "Field 'Nope' not found"},
      {{"--db", folder.DatabasePath(), "filter", "--dataset", "Other", "x"}, 2, "unknown dataset"},
      {{"--db", folder.DatabasePath(), "lookup"}, 2, "give one of"},
      {{"--db", folder.DatabasePath(), "lookup", "--rhyme", "東冬"},
       2,
       "東冬 is no Pingshui rhyme"},
      {{"--db", "a", "--app-dir", "b", "rhymes"}, 2, "not both"},
      {{"nosuch"}, 2, "unknown command nosuch"},
  };
  for (const Case& c : cases) {
    const Result result = RunCli(c.args);
    EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
    EXPECT_TRUE(result.err.split('\n').first().contains(QString::fromUtf8(c.message)))
        << result.err.toStdString();
    EXPECT_TRUE(result.out.isEmpty());
  }
}

TEST_F(CliLookupTest, AMissingTableIsAnErrorNamingIt) {
  test::FixtureDictionary empty;
  test::WriteFixtureDictionary(folder.DatabasePath(), empty);
  {
    const Result ok = Lookup({"--char", "x"});
    EXPECT_EQ(ok.exitCode, 0);
    EXPECT_EQ(ok.out, QString::fromUtf8(kHeader));
  }
  QFile::remove(folder.DatabasePath());
  QFile file(folder.DatabasePath());
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));  // an empty file is an empty database
  file.close();
  const Result result = Lookup({"--char", "x"});
  EXPECT_EQ(result.exitCode, 1);
  EXPECT_TRUE(result.err.contains("no such table: RavlekTable")) << result.err.toStdString();
  EXPECT_EQ(result.err.count('\n'), 1);
}

TEST_F(CliLookupTest, WithoutAFolderItOpensTheOneItSitsIn) {
  // A copy of the program in the fixture's folder finds that folder's dictionary, wherever the
  // program was built and whatever the current directory is.
  const QString copy = folder.Path() + QStringLiteral("/ravlek-cli");
  ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_CLI_PATH), copy));
  QProcess process;
  process.setWorkingDirectory(QDir::tempPath());
  process.start(copy, {"lookup", "--char", "讚"});
  ASSERT_TRUE(process.waitForFinished(30000));
  EXPECT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();
  const QStringList lines = QString::fromUtf8(process.readAllStandardOutput()).split('\n');
  ASSERT_EQ(lines.size(), 4);  // the header, two rows, the end
  EXPECT_TRUE(lines[1].startsWith("讚\t文\ttsan3")) << lines[1].toStdString();
}

TEST(CliRhymesTest, PrintsTheHundredAndSixNames) {
  const Result result = RunCli({"rhymes"});
  EXPECT_EQ(result.exitCode, 0);
  const QStringList lines = result.out.split('\n');
  ASSERT_EQ(lines.size(), 107);
  EXPECT_EQ(lines[0], "上平一東");
  EXPECT_EQ(lines[14], "上平十五删");
  EXPECT_EQ(lines[105], "入聲十七洽");
}

}  // namespace
