#include "dictionary/held_rows.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace ravlek {
namespace {

void AppendUtf8(HeldColumn& column, const QString& text, QStringDecoder& decoder) {
  const QByteArray bytes = text.toUtf8();
  column.AppendUtf8(bytes.constData(), bytes.size(), decoder);
}

TEST(HeldColumnTest, DecodesEachValueWholeWhateverItsMixOfAsciiAndOther) {
  QStringDecoder decoder(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                     QStringConverter::Flag::ConvertInitialBom);
  const QStringList values = {"tsan3", "", "讚", "a讚b", "ab\uFEFF讚", "\uFEFFx", "𠀀z", "x𠀀", "é",
                              // runs of eight ASCII bytes and more, then other text
                              "abcdefgh", "abcdefgh讚abcdefghi", "\uFEFFtsan3 khan1 kan1",
                              "1234567é"};
  HeldColumn column;
  for (int round = 0; round < 100000; ++round) {  // past buffers of a megabyte and more
    for (const QString& value : values) AppendUtf8(column, value, decoder);
  }
  column.Squeeze();
  ASSERT_EQ(column.RowCount(), 100000 * values.size());
  for (int row = 0; row < column.RowCount(); ++row) {
    ASSERT_EQ(column.View(row), values[row % values.size()]) << row;
    ASSERT_FALSE(column.IsNull(row));
  }
}

TEST(HeldColumnTest, TextThatIsNotUtf8IsDecodedAsQtDecodesIt) {
  const QByteArray cases[] = {"a\xff",
                              "\xc0\x80x",
                              "\xed\xa0\x80",
                              "\xf4\x90\x80\x80",
                              "\xe8\xae",
                              "\xf0\x9f\x98",
                              "讚\x80讚",
                              "\xef\xbb\xbf",
                              "ok\xe2\x82\xacok",
                              "abcdefgh\xff",
                              "abcdefghijklmnop\xe8\xae"};
  for (const QByteArray& bytes : cases) {
    QStringDecoder ours(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                    QStringConverter::Flag::ConvertInitialBom);
    QStringDecoder qt(QStringConverter::Utf8, QStringConverter::Flag::Stateless |
                                                  QStringConverter::Flag::ConvertInitialBom);
    HeldColumn column;
    column.AppendUtf8(bytes.constData(), bytes.size(), ours);
    EXPECT_EQ(column.View(0), QString(qt(bytes))) << bytes.toHex().toStdString();
  }
}

TEST(HeldColumnTest, ReplacedValuesAndCopiesStayApart) {
  HeldColumn column;
  column.Append(u"one");
  column.AppendNull();
  column.Append(u"three");
  HeldColumn copy = column;
  column.Replace(0, u"first");
  column.Replace(0, u"again");
  column.Replace(1, u"");
  column.ReplaceNull(2);
  copy.Append(u"four");  // the copy grows alone

  EXPECT_EQ(column.View(0), u"again");
  EXPECT_FALSE(column.IsNull(1));
  EXPECT_EQ(column.View(1), u"");
  EXPECT_TRUE(column.IsNull(2));
  EXPECT_EQ(column.View(2), u"");
  EXPECT_EQ(column.RowCount(), 3);

  EXPECT_EQ(copy.View(0), u"one");
  EXPECT_TRUE(copy.IsNull(1));
  EXPECT_EQ(copy.View(2), u"three");
  EXPECT_EQ(copy.View(3), u"four");
}

}  // namespace
}  // namespace ravlek
