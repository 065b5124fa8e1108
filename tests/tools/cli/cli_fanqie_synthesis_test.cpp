// ravlek-cli fanqie --synthesize, run as a program: the exact bytes.
#include <gtest/gtest.h>

#include "tests/support/dictionary_fixture.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

constexpr auto Row = test::SynthesisRow;

test::FixtureDictionary Dictionary() {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {Row(u"則"_s, u"文"_s, u"tsik4"_s, u"全清"_s, u"入聲十三職"_s),
                           Row(u"則"_s, u"白"_s, u"tsiah4"_s, QString(), QString()),
                           Row(u"旰"_s, u"文"_s, u"kan3"_s, u"全清"_s, u"去聲十五翰"_s),
                           Row(u"縣"_s, u"文"_s, u"hian7"_s, u"全濁"_s, u"去聲十七霰"_s),
                           Row(u"縣"_s, u"通"_s, u"kuan7"_s, u"全濁"_s, u"去聲十七霰"_s),
                           Row(u"全"_s, u"文"_s, u"tsuan5"_s, u"全濁"_s, u"下平一先"_s)};
  dictionary.baseWords = {{u"則"_s, u"tsik4"_s}, {u"旰"_s, u"kan3"_s}, {u"全"_s, u"tsuan5"_s}};
  dictionary.baseWordsPlus = {{u"縣"_s, u"hian7"_s}};
  return dictionary;
}

using Result = test::CliRun;

class FanqieSynthesisCliTest : public ::testing::Test {
 protected:
  Result Run(const QStringList& args, const QByteArray& input) {
    return test::RunCliProgram(QStringList{u"--app-dir"_s, folder_.Path(), u"fanqie"_s} + args,
                               input);
  }
  test::FixtureAppFolder folder_{Dictionary()};
};

TEST_F(FanqieSynthesisCliTest, ExtractionThenAnEmptyLineThenOneLinePerNotation) {
  const Result result = Run({u"--synthesize"_s}, u"則旰切\n又則縣反，某全反"_s.toUtf8());
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(result.out,
            u"則(tsik4)旰(kan3)\r\n"
            u"則(tsik4)縣(hian7)\r\n"
            u"某(某)全(tsuan5)\r\n"
            u"\r\n"
            u"則旰切\ttsan3\t則 ts- · 旰 -an 去 · 則 全清 → 陰去 3 ⇒ tsan3\r\n"
            u"則縣反\ttsian3/tsuan3\t"
            u"則 ts- · 縣 -ian 去 · 則 全清 → 陰去 3 ⇒ tsian3; "
            u"則 ts- · 縣 -uan 去 · 則 全清 → 陰去 3 ⇒ tsuan3\r\n"
            u"某全反\t\t某 無文讀音\r\n"_s.toUtf8());
}

TEST_F(FanqieSynthesisCliTest, NoNotationLeavesOnlyTheEmptyLine) {
  const Result result = Run({u"--synthesize"_s}, u"讚，纂也。"_s.toUtf8());
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(result.out, QByteArray("\r\n"));
}

TEST_F(FanqieSynthesisCliTest, TwoFilesAreAUsageError) {
  const Result result = Run({u"--synthesize"_s, u"a.txt"_s, u"b.txt"_s}, QByteArray());
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_TRUE(result.out.isEmpty());
}

}  // namespace
}  // namespace ravlek
