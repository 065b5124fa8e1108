// The character search of the lookup page and ravlek-server: the text as typed, then without its
// blanks, then each character of a run, with the status line that says so.
#include <gtest/gtest.h>

#include "dictionary/character_lookup.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

HeldRows Words(const QStringList& words) {
  HeldRows rows;
  rows.SetColumns({u"HanWord"_s}, 0);
  for (const QString& word : words) rows.columns[0].Append(word);
  rows.rowCount = int(words.size());
  return rows;
}

TEST(CharacterLookupTest, FallsBackAsThePageDoes) {
  const HeldRows rows = Words({u"讚"_s, u"讚美"_s, u" 空"_s, u"美"_s, u"𠀀"_s});
  struct Case {
    QString typed;
    QString text;  // what was looked up at last
    QString status;
    QStringList found;
  };
  const Case cases[] = {
      {u"讚"_s, u"讚"_s, {}, {u"讚"_s, u"讚美"_s}},
      // Blanks pasted around the characters go, unless a row holds them.
      {u" 讚\u3000"_s, u"讚"_s, {}, {u"讚"_s, u"讚美"_s}},
      {u" 空"_s, u" 空"_s, {}, {u" 空"_s}},
      // A run that begins no word: each character, naming those without a row.
      {u"讚好美"_s,
       u"讚好美"_s,
       u"沒有以「讚好美」起頭的詞，改查各字：讚、好、美；字典中沒有：好。"_s,
       {u"讚"_s, u"讚美"_s, u"美"_s}},
      {u" 美美讚 "_s,
       u"美美讚"_s,
       u"沒有以「美美讚」起頭的詞，改查各字：美、讚。"_s,
       {u"讚"_s, u"讚美"_s, u"美"_s}},
      // A character beyond the BMP is one character, not two halves.
      {u"𠀀x"_s, u"𠀀x"_s, u"沒有以「𠀀x」起頭的詞，改查各字：𠀀、x；字典中沒有：x。"_s, {u"𠀀"_s}},
      {u"好"_s, u"好"_s, u"字典中沒有「好」。"_s, {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.typed.toStdString());
    HeldCharacterRows held(rows);
    const CharacterLookup lookup = LookUpCharacters(c.typed, held);
    EXPECT_EQ(lookup.text, c.text);
    EXPECT_EQ(lookup.status, c.status);
    QStringList found;
    for (const int row : held.Passing()) found << rows.columns[0].View(row).toString();
    EXPECT_EQ(found, c.found);
  }
}

}  // namespace
}  // namespace ravlek
