// Whole anthologies through ravlek-cli romanize on the open dictionary: every poem of 唐詩三百首
// and every piece of 古文觀止 (skipped, saying so, when the shared data folder is absent).

#include <gtest/gtest.h>

#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "dictionary/reading_classes.h"
#include "tests/support/corpus_texts.h"

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

const QString kDictionary = test::BuiltOpenDictionary();

struct Coverage {
  qsizetype han = 0;
  qsizetype read = 0;
};

// Runs the lines through ravlek-cli romanize and checks that every input line comes back with
// its romanised line, which holds one piece per character (U+0020 dropped): its readings, or the
// character copied.
Coverage ExpectConverted(const QStringList& lines, const char* what) {
  Coverage coverage;
  QTemporaryDir dir;
  const QString input = dir.filePath(u"input.txt"_s);
  QFile file(input);
  EXPECT_TRUE(file.open(QIODevice::WriteOnly));
  file.write((lines.join(u'\n') + u'\n').toUtf8());
  file.close();

  QProcess process;
  process.start(QStringLiteral(RAVLEK_CLI_PATH), {u"--db"_s, kDictionary, u"romanize"_s, input});
  EXPECT_TRUE(process.waitForFinished(120000));
  EXPECT_EQ(process.exitCode(), 0) << what;
  EXPECT_EQ(process.readAllStandardError(), QByteArray()) << what;
  QStringList out = QString::fromUtf8(process.readAllStandardOutput()).split(u'\n');
  EXPECT_EQ(out.takeLast(), QString());
  EXPECT_EQ(out.size(), 2 * lines.size()) << what;
  if (out.size() != 2 * lines.size()) return coverage;

  const QString separator = CharacterSeparator();
  qsizetype wrong = 0;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    if (out[2 * i] != line) ++wrong;
    QStringList pieces = out[2 * i + 1].split(separator);
    if (pieces.takeLast() != QString()) ++wrong;
    qsizetype piece = 0;
    for (const char32_t code : line.toUcs4()) {
      if (code == U' ') continue;
      if (piece >= pieces.size()) {
        ++wrong;
        break;
      }
      const QString character = QString::fromUcs4(&code, 1);
      const bool read = pieces[piece] != character;
      if (read && !(pieces[piece].startsWith(u"通 "_s) || pieces[piece].startsWith(u"(文 "_s) ||
                    pieces[piece].startsWith(u"{今 "_s))) {
        ++wrong;
      }
      if (test::IsHanCharacter(code)) {
        ++coverage.han;
        coverage.read += read ? 1 : 0;
      }
      ++piece;
    }
    if (piece != pieces.size()) ++wrong;
  }
  EXPECT_EQ(wrong, 0) << what << ": lines whose conversion is not one piece per character";
  return coverage;
}

TEST(CorpusTest, AnthologiesReadThroughWithTheirCharactersRead) {
  SKIP_WITHOUT_CORPUS();
  const struct {
    const char* name;
    QStringList lines;
  } texts[] = {{"唐詩三百首", test::TangShiSanBaiShouLines()},
               {"古文觀止", test::GuWenGuanZhiLines()}};
  for (const auto& text : texts) {
    ASSERT_GT(text.lines.size(), 1000) << text.name;
    const Coverage coverage = ExpectConverted(text.lines, text.name);
    ASSERT_GT(coverage.han, 0);
    const double share = 100.0 * double(coverage.read) / double(coverage.han);
    std::printf("%s: %lld lines, %lld of %lld Han characters read (%.2f %%)\n", text.name,
                static_cast<long long>(text.lines.size()), static_cast<long long>(coverage.read),
                static_cast<long long>(coverage.han), share);
    EXPECT_GE(share, 99.5) << text.name;
  }
}

}  // namespace
