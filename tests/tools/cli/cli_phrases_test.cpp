// ravlek-cli phrases: the user's own phrase file of the application folder, kept, listed, removed,
// exported and imported, with a reading the dictionary does not give refused.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>

#include "tests/support/dictionary_fixture.h"
#include "tests/support/file_bytes.h"
#include "tests/support/qstring_printer.h"
#include "tests/support/run_cli.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

test::FixtureDictionary Dictionary() {
  test::FixtureDictionary dictionary;
  auto row = [](const QString& word, const QString& spell, const QString& ptype) {
    return test::FixtureRow{{u"HanWord"_s, word}, {u"HanSpell"_s, spell}, {u"Ptype"_s, ptype}};
  };
  dictionary.ravlekRows = {row(u"說"_s, u"suat4"_s, u"文"_s), row(u"說"_s, u"uat8"_s, u"文"_s),
                           row(u"說"_s, u"sueh4"_s, u"白"_s), row(u"樂"_s, u"lok8"_s, u"文"_s),
                           row(u"樂"_s, u"gak8"_s, u"文"_s)};
  return dictionary;
}

class CliPhrasesTest : public ::testing::Test {
 protected:
  test::CliTextRun Run(const QStringList& args) {
    return test::RunCli(QStringList{u"--app-dir"_s, folder_.Path(), u"phrases"_s} + args);
  }
  QString File(const QString& name) const { return QDir(folder_.Path()).filePath(name); }
  test::FixtureAppFolder folder_{Dictionary()};
};

TEST_F(CliPhrasesTest, KeepListRemove) {
  test::CliTextRun run = Run({u"keep"_s, u"不亦[說]乎"_s, u"ua̍t"_s, u"--note"_s, u"同悅"_s});
  EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
  EXPECT_EQ(run.out, u"已新增：不亦[說]乎\tuat8\n"_s);
  EXPECT_EQ(ReadAll(File(u"user_phrases.tsv"_s)), "詞\t讀音\t備註\n不亦[說]乎\tuat8\t同悅\n");

  // The colloquial reading counts too; the note goes with the reading it was kept with.
  run = Run({u"keep"_s, u"不亦[說]乎"_s, u"sueh4"_s});
  EXPECT_EQ(run.out, u"已取代：不亦[說]乎\tsueh4\n"_s);
  run = Run({u"keep"_s, u"[說]乎"_s, u"ka1"_s});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, u"ravlek-cli phrases: 「說」沒有讀音 ka1（它有：suat4、uat8、sueh4）\n"_s);
  run = Run({u"keep"_s, u"[天]地"_s, u"thian1"_s});
  EXPECT_EQ(run.err, u"ravlek-cli phrases: 「天」不在字典裡\n"_s);

  run = Run({u"list"_s});
  EXPECT_EQ(run.out, u"不亦[說]乎\tsueh4\n"_s);
  EXPECT_EQ(Run({u"remove"_s, u"不亦[說]乎"_s}).out, u"已刪除：不亦[說]乎\n"_s);
  run = Run({u"remove"_s, u"不亦[說]乎"_s});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.err, u"ravlek-cli phrases: 自訂詞裡沒有 不亦[說]乎\n"_s);
}

TEST_F(CliPhrasesTest, ImportSaysWhatItRefusedAndExitsOne) {
  QFile in(File(u"in.tsv"_s));
  ASSERT_TRUE(in.open(QIODevice::WriteOnly));
  in.write("詞\t讀音\t備註\n快[樂]\tlok8\n[說]話\tsue3\n快樂\tlok8\n");
  in.close();
  const test::CliTextRun run = Run({u"import"_s, in.fileName()});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_EQ(run.out, u"匯入 1 條：新增 1、取代 0、未變 0、拒收 2\n"_s);
  EXPECT_EQ(run.err,
            u"ravlek-cli phrases: %1: 第3行：「說」沒有讀音 sue3（它有：suat4、uat8、sueh4）\n"
            u"ravlek-cli phrases: %1: 第4行：詞裡要有一個字放在方括號裡，如 不亦[說]乎\n"_s.arg(
                in.fileName()));

  const test::CliTextRun out = Run({u"export"_s, File(u"out.tsv"_s)});
  EXPECT_EQ(out.exitCode, 0) << out.err.toStdString();
  EXPECT_EQ(out.out, u"已匯出 1 條到 %1\n"_s.arg(File(u"out.tsv"_s)));
  EXPECT_EQ(ReadAll(File(u"out.tsv"_s)), "詞\t讀音\t備註\n快[樂]\tlok8\n");
}

// The next conversion takes the kept reading in that phrase only; a line the file cannot read is
// named on standard error.
TEST_F(CliPhrasesTest, RomanizeTakesTheKeptReading) {
  const auto romanized = [&] {
    const test::CliRun run = test::RunCliProgram(
        {u"--app-dir"_s, folder_.Path(), u"romanize"_s, u"--no-separator"_s}, "說乎\n不亦說乎\n");
    EXPECT_EQ(run.exitCode, 0) << run.err.toStdString();
    return std::pair{QString::fromUtf8(run.out).split(u'\n'), run.err};
  };
  EXPECT_EQ(romanized().first.value(3), u"不亦(文 suat4 uat8) 乎"_s);
  ASSERT_EQ(Run({u"keep"_s, u"不亦[說]乎"_s, u"uat8"_s}).exitCode, 0);
  QFile file(File(u"user_phrases.tsv"_s));
  ASSERT_TRUE(file.open(QIODevice::Append));
  file.write("[說]\tuat8\n");
  file.close();
  const auto [lines, err] = romanized();
  EXPECT_EQ(lines.value(1), u"(文 suat4 uat8) 乎"_s);
  EXPECT_EQ(lines.value(3), u"不亦(文 uat8 suat4) 乎"_s);
  EXPECT_TRUE(err.contains(u"user_phrases.tsv 第3行：詞至少要有兩個字"_s)) << err.toStdString();
}

}  // namespace
}  // namespace ravlek
