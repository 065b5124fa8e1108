// ravlek-cli romanize and metre against golden files: for each case NAME under golden/COMMAND/,
// NAME.in is the input, NAME.args the arguments after the command (one a line; may be missing)
// and NAME.ans the exact standard output. All run on one small dictionary with the program's
// Pingshui tables and phrase files. RAVLEK_UPDATE_GOLDEN=1 writes the .ans files from the program
// instead (look at the difference before committing it).

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

const QString kGolden = QStringLiteral(RAVLEK_SOURCE_DIR "/tests/tools/cli/golden");

test::FixtureDictionary Dictionary() {
  test::FixtureDictionary dictionary;
  auto row = [](const QString& word, const QString& spell, const QString& ptype) {
    return test::FixtureRow{{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
  };
  dictionary.ravlekRows = {
      row(u"天"_s, u"thian1"_s, u"通"_s),
      row(u"星"_s, u"sing1"_s, u"文"_s),
      row(u"星"_s, u"tshenn1"_s, u"白"_s),
      row(u"𠀤"_s, u"ping7"_s, u"古"_s),
      row(u"坐"_s, u"tso7"_s, u"文"_s),
      row(u"看"_s, u"khan3"_s, u"文"_s),  // first, but 仄
      row(u"看"_s, u"khan1"_s, u"文"_s),
      row(u"看"_s, u"khuann3"_s, u"白"_s),
      row(u"月"_s, u"gueh8"_s, u"白"_s),
      row(u"月"_s, u"guat8"_s, u"文"_s),
      // First as the 1913 book orders them; the phrases (不亦說乎, 不見) choose another.
      row(u"說"_s, u"iat8"_s, u"文"_s),
      row(u"說"_s, u"suat4"_s, u"文"_s),
      row(u"說"_s, u"uat8"_s, u"文"_s),
      row(u"見"_s, u"hian7"_s, u"文"_s),
      row(u"見"_s, u"kian3"_s, u"文"_s),
  };
  return dictionary;
}

struct GoldenCase {
  QString command;
  QString name;
};

void PrintTo(const GoldenCase& c, std::ostream* os) {
  *os << (c.command + u'/' + c.name).toStdString();
}

std::vector<GoldenCase> GoldenCases() {
  std::vector<GoldenCase> cases;
  for (const QString& command : {u"romanize"_s, u"metre"_s}) {
    const QDir dir(kGolden + u'/' + command);
    for (const QString& file : dir.entryList({u"*.in"_s}, QDir::Files, QDir::Name)) {
      cases.push_back({command, file.chopped(3)});
    }
  }
  return cases;
}

QByteArray ReadFile(const QString& path) {
  QFile file(path);
  return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

class CliGoldenTest : public ::testing::TestWithParam<GoldenCase> {
 protected:
  static void SetUpTestSuite() {
    folder_ = new test::FixtureAppFolder(Dictionary());
    ASSERT_NO_THROW(test::CopyPingshuiTables(folder_->Path()));
    folder_->AddShippedPhrases();
  }
  static void TearDownTestSuite() {
    delete folder_;
    folder_ = nullptr;
  }
  static test::FixtureAppFolder* folder_;
};

test::FixtureAppFolder* CliGoldenTest::folder_ = nullptr;

TEST_P(CliGoldenTest, OutputIsTheAnswerByteForByte) {
  const GoldenCase& c = GetParam();
  const QString base = kGolden + u'/' + c.command + u'/' + c.name;
  const QStringList args =
      QString::fromUtf8(ReadFile(base + u".args"_s)).split(u'\n', Qt::SkipEmptyParts);
  const test::CliRun run = test::RunCliProgram(
      QStringList{u"--app-dir"_s, folder_->Path(), c.command} + args, ReadFile(base + u".in"_s));
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_TRUE(run.err.isEmpty()) << run.err.toStdString();
  if (qEnvironmentVariableIntValue("RAVLEK_UPDATE_GOLDEN") == 1) {
    QFile answer(base + u".ans"_s);
    ASSERT_TRUE(answer.open(QIODevice::WriteOnly));
    answer.write(run.out);
    return;
  }
  EXPECT_EQ(QString::fromUtf8(run.out), QString::fromUtf8(ReadFile(base + u".ans"_s)));
}

INSTANTIATE_TEST_SUITE_P(Golden, CliGoldenTest, ::testing::ValuesIn(GoldenCases()),
                         [](const auto& info) {
                           return (info.param.command + u'_' + info.param.name).toStdString();
                         });

}  // namespace
}  // namespace ravlek
