// ravlek-cli metre, run as a program: its errors (the exact TSV bytes and the plain form are the
// golden files of cli_golden_test.cpp).
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
  void SetUp() override { ASSERT_NO_THROW(test::CopyPingshuiTables(folder_.Path())); }
  test::CliRun Run(const QStringList& args, const QByteArray& input) {
    return test::RunCliProgram(QStringList{u"--app-dir"_s, folder_.Path(), u"metre"_s} + args,
                               input);
  }
  test::FixtureAppFolder folder_{Dictionary()};
};

TEST_F(MetreCliTest, MissingTableAndTwoFilesAreErrors) {
  QFile::remove(QDir(folder_.Path()).filePath(u"pingshui_groups.tsv"_s));
  const test::CliRun missing = Run({}, "a\n");
  EXPECT_EQ(missing.exitCode, 1);
  EXPECT_TRUE(missing.err.contains(u"pingshui_groups.tsv"_s)) << missing.err.toStdString();
  EXPECT_EQ(Run({u"a.txt"_s, u"b.txt"_s}, {}).exitCode, 2);
}

}  // namespace
}  // namespace ravlek
