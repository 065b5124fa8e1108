// What a memo hands over: exactly the stored text with the typed change, nothing when unchanged.
#include <gtest/gtest.h>

#include "dictionary/memo_text.h"

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

TEST(MemoTextTest, OnlyTheChangedStretchIsReplaced) {
  // A stored value with NBSP, CR LF, a lone LF, CR and U+2028; the document shows each break
  // as U+2029.
  const QString stored = u"音\u00A0a\r\nb\nc\rd\u2028e"_s;
  const QString shown = MemoDocumentText(stored);
  ASSERT_EQ(shown, u"音\u00A0a\u2029b\u2029c\u2029d\u2028e"_s);
  struct Case {
    const char* name;
    QString document;  // the document's text after the edit
    std::optional<QString> expected;
  };
  const std::vector<Case> cases = {
      {"untouched", shown, std::nullopt},
      {"one character at the end", shown + u"!"_s, stored + u"!"_s},
      {"one character at the start", u"x"_s + shown, u"x"_s + stored},
      {"one character replaced in the middle", u"音\u00A0a\u2029B\u2029c\u2029d\u2028e"_s,
       u"音\u00A0a\r\nB\nc\rd\u2028e"_s},
      {"a new line takes the first break's form", u"音\u00A0a\u2029\u2029b\u2029c\u2029d\u2028e"_s,
       u"音\u00A0a\r\n\r\nb\nc\rd\u2028e"_s},
      {"a break removed", u"音\u00A0ab\u2029c\u2029d\u2028e"_s, u"音\u00A0ab\nc\rd\u2028e"_s},
      {"everything replaced", u"新"_s, u"新"_s},
      {"everything removed", u""_s, u""_s},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(MemoTextToStore(stored, c.document), c.expected) << c.name;
  }
  EXPECT_EQ(MemoTextToStore(u"a"_s, u"a\u2029b"_s), u"a\nb"_s);  // LF when nothing tells
  EXPECT_EQ(MemoTextToStore(QString(), u"x"_s), u"x"_s);
}

}  // namespace
