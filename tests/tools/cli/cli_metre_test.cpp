// ravlek-cli metre, run as a program: the exact TSV bytes and the plain form.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "build_paths.h"
#include "tests/support/dictionary_fixture.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureDictionary Dictionary() {
  test::FixtureDictionary dictionary;
  dictionary.ravlekRows = {test::SynthesisRow(u"看"_s, u"文"_s, u"khan3"_s, {}, {}),
                           test::SynthesisRow(u"看"_s, u"文"_s, u"khan1"_s, {}, {}),
                           test::SynthesisRow(u"月"_s, u"白"_s, u"gueh8"_s, {}, {}),
                           test::SynthesisRow(u"月"_s, u"文"_s, u"guat8"_s, {}, {})};
  return dictionary;
}

class MetreCliTest : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const QString& table : {u"pingshui_groups.tsv"_s, u"pingshui_variants.tsv"_s}) {
      ASSERT_TRUE(QFile::copy(QStringLiteral(RAVLEK_SOURCE_DIR "/data/pingshui/") + table,
                              QDir(folder_.Path()).filePath(table)));
    }
  }
  test::CliRun Run(const QStringList& args, const QByteArray& input) {
    return test::RunCliProgram(QStringList{u"--app-dir"_s, folder_.Path(), u"metre"_s} + args,
                               input);
  }
  test::FixtureAppFolder folder_{Dictionary()};
};

const QString kPoems =
    u"今夜鄜州月，閨中只獨看。\n遙憐小兒女，未解憶長安。\n\n"
    u"春眠不覺曉，處處聞啼鳥。\n夜來風雨聲，花落知多少。\n"_s;

TEST_F(MetreCliTest, TsvRowsPerVerseAndPoem) {
  const test::CliRun result = Run({u"--tsv"_s}, kPoems.toUtf8());
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(QString::fromUtf8(result.out),
            u"1\t1\t今夜鄜州月\t平仄中平仄\t\t- - - - guat8\n"
            u"1\t2\t閨中只獨看\t平平中仄平\t上平十四寒\t- - - - khan1\n"
            u"1\t3\t遙憐小兒女\t平平仄仄仄\t\t- - - - -\n"
            u"1\t4\t未解憶長安\t仄仄仄平平\t上平十四寒\t- - - - -\n"
            u"# poem\t1\t五言絕句\t上平十四寒\t合律\n"
            u"2\t1\t春眠不覺曉\t平平中仄仄\t上聲十七筱\t- - - - -\n"
            u"2\t2\t處處聞啼鳥\t仄仄中中仄\t上聲十七筱\t- - - - -\n"
            u"2\t3\t夜來風雨聲\t仄平平仄平\t\t- - - - -\n"
            u"2\t4\t花落知多少\t平仄平平仄\t上聲十七筱\t- - - - -\n"
            u"# poem\t2\t古體\t上聲十七筱\t\n"_s);
}

TEST_F(MetreCliTest, PlainFormSaysTheFaultsInWords) {
  const test::CliRun result =
      Run({}, u"國破山河在，城春草木深。\n感時花開淚，恨別鳥驚心。\n"_s.toUtf8());
  EXPECT_EQ(result.exitCode, 0) << result.err.toStdString();
  EXPECT_EQ(QString::fromUtf8(result.out),
            u"第1首　五言絕句　韻：下平十二侵　犯律\n"
            u"國破山河在\n仄仄平平仄\n"
            u"城春草木深\n平平仄仄平　韻 下平十二侵\n"
            u"感時花開淚\n仄平平平仄\n"
            u"恨別鳥驚心\n仄仄仄平平　韻 下平十二侵\n"
            u"第3句第4字「開」犯律\n\n"_s);
}

TEST_F(MetreCliTest, MissingTableAndTwoFilesAreErrors) {
  QFile::remove(QDir(folder_.Path()).filePath(u"pingshui_groups.tsv"_s));
  const test::CliRun missing = Run({}, "a\n");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains(u"pingshui_groups.tsv"_s)) << missing.err.toStdString();
  EXPECT_EQ(Run({u"a.txt"_s, u"b.txt"_s}, {}).exitCode, 2);
}

}  // namespace
}  // namespace ravlek
