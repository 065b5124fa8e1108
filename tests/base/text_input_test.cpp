// Text as the command line reads it: strict UTF-8 and line splitting.
#include <gtest/gtest.h>

#include <QBuffer>

#include "base/text_input.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

struct SplitCase {
  const char* name;
  QString text;
  QStringList lines;
};

class SplitTextLinesTest : public ::testing::TestWithParam<SplitCase> {};

TEST_P(SplitTextLinesTest, Lines) {
  EXPECT_EQ(SplitTextLines(GetParam().text), GetParam().lines);
}

INSTANTIATE_TEST_SUITE_P(
    Cases, SplitTextLinesTest,
    ::testing::Values(SplitCase{"empty", QString(), {}},
                      SplitCase{"one_break", u"\n"_s, {QString()}},
                      SplitCase{"no_final_break", u"a\nb"_s, {u"a"_s, u"b"_s}},
                      SplitCase{"final_break_not_a_line", u"a\r\nb\r\n"_s, {u"a"_s, u"b"_s}},
                      SplitCase{"mixed_breaks",
                                u"a\rb\nc\r\n\r\nd"_s,
                                {u"a"_s, u"b"_s, u"c"_s, QString(), u"d"_s}},
                      SplitCase{"lf_cr_is_two_breaks", u"a\n\rb"_s, {u"a"_s, QString(), u"b"_s}},
                      SplitCase{"empty_lines_kept", u"a\n\n"_s, {u"a"_s, QString()}}),
    [](const auto& info) { return std::string(info.param.name); });

struct Utf8Case {
  const char* name;
  QByteArray bytes;
  std::optional<qsizetype> badOffset;
};

class DecodeUtf8Test : public ::testing::TestWithParam<Utf8Case> {};

TEST_P(DecodeUtf8Test, OffsetOfFirstBadByte) {
  QString text;
  EXPECT_EQ(DecodeUtf8Strict(GetParam().bytes, text), GetParam().badOffset);
  if (!GetParam().badOffset) {
    EXPECT_EQ(text, QString::fromUtf8(GetParam().bytes));
  }
}

INSTANTIATE_TEST_SUITE_P(
    Cases, DecodeUtf8Test,
    ::testing::Values(Utf8Case{"valid", QByteArray("a\xe5\xa4\xa9\xf0\xa0\x80\xa4\n"), {}},
                      Utf8Case{"empty", QByteArray(), {}},
                      Utf8Case{"stray_continuation", QByteArray("ab\x80"), 2},
                      Utf8Case{"invalid_byte", QByteArray("\xe5\xa4\xa9\xff"), 3},
                      Utf8Case{"truncated_at_end", QByteArray("ab\xe5\xa4"), 2},
                      Utf8Case{"overlong", QByteArray("\xc0\xaf"), 0},
                      Utf8Case{"overlong_three", QByteArray("x\xe0\x80\xaf"), 1},
                      Utf8Case{"surrogate", QByteArray("x\xed\xa0\x80"), 1},
                      Utf8Case{"above_max", QByteArray("\xf4\x90\x80\x80"), 0}),
    [](const auto& info) { return std::string(info.param.name); });

// The line reader gives the lines and errors of reading the whole text at once, wherever the
// pieces it reads end (in the middle of a character, between CR and LF).
TEST(Utf8LineReaderTest, SameLinesAndErrorsAsTheWholeText) {
  const QByteArray inputs[] = {
      "",
      "\n",
      "a\nb",
      "a\r\nb\r\n",
      "a\rb\nc\r\n\r\nd",
      "a\n\rb",
      "a\n\n",
      "\r",
      "\r\r\n",
      "\xef\xbb\xbf\xe5\xa4\xa9\n\xef\xbb\xbf\xe5\x9c\xb0\xf0\xa0\x80\xa4\r\n\xe4\xba\xba",
      "\xe5\xa4\xa9\n\xe5\xa4\xa9\xff\n",
      "ab\n\xe5\xa4",
      "x\n\xed\xa0\x80\n",
      "\xe5\n\xa4\xa9"};
  for (const QByteArray& input : inputs) {
    QString text;
    const std::optional<qsizetype> bad = DecodeUtf8Strict(input, text);
    for (const qsizetype pieceSize : {1, 2, 3, 5, 65536}) {
      QBuffer device;
      device.setData(input);
      device.open(QIODevice::ReadOnly);
      Utf8LineReader reader(device, pieceSize);
      QStringList lines;
      QString line;
      while (reader.Next(line)) lines.append(line);
      const std::string what =
          input.toHex().toStdString() + " in pieces of " + std::to_string(pieceSize);
      if (bad) {
        EXPECT_EQ(reader.Error(), QStringLiteral("invalid UTF-8 at byte offset %1").arg(*bad))
            << what;
        // The lines before the one holding the bad byte have been delivered.
        const QByteArray upToBad = input.left(*bad);
        const QStringList before = SplitTextLines(QString::fromUtf8(upToBad));
        const bool endsWithBreak = upToBad.endsWith('\n') || upToBad.endsWith('\r');
        EXPECT_EQ(lines, endsWithBreak ? before : before.mid(0, before.size() - 1)) << what;
      } else {
        EXPECT_EQ(reader.Error(), QString()) << what;
        EXPECT_EQ(lines, SplitTextLines(text)) << what;
      }
    }
  }
}

TEST(WithCrLfBreaksTest, EveryBreakBecomesCrLf) {
  EXPECT_EQ(WithCrLfBreaks(u"a\nb\rc\r\nd\n\r"_s), u"a\r\nb\r\nc\r\nd\r\n\r\n"_s);
}

}  // namespace
}  // namespace ravlek
