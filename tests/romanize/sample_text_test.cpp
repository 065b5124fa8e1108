// The conversion page's sample text, as the line splitter reads it.
#include <gtest/gtest.h>

#include "base/text_input.h"
#include "romanize/sample_text.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

TEST(ConversionSampleTextTest, TenLinesEndingWithCrLf) {
  const QString text = ConversionSampleText();
  ASSERT_TRUE(text.endsWith(u"\r\n"_s));
  EXPECT_EQ(text.count(u"\r\n"_s), 10);
  EXPECT_EQ(text.count(u'\n'), 10);
  const QStringList lines = SplitTextLines(text);
  ASSERT_EQ(lines.size(), 10);
  EXPECT_EQ(lines[0], u"無題 (李商隱)"_s);
  EXPECT_TRUE(lines[5].isEmpty());
  EXPECT_TRUE(lines[8].isEmpty());
}

}  // namespace
}  // namespace ravlek
