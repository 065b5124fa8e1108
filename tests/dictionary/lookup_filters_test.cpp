// The lookup page's inputs read as the user means them: rhyme names in part, blanks around pasted
// characters.
#include <gtest/gtest.h>

#include "dictionary/lookup_filters.h"
#include "tests/support/qstring_printer.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

TEST(LookupFiltersTest, NamesARhyme) {
  const std::pair<QString, bool> cases[] = {
      {u"上平一東"_s, true}, {u"上平"_s, true},        {u"一東"_s, true},       {u"東"_s, true},
      {u""_s, true},         {u"上平十五删"_s, true},  {u"上平十五刪"_s, true},  // the traditional
                                                                                 // form of 删
      {u"東冬"_s, false},    {u"平水韻查詢"_s, false}, {u"tong"_s, false},
  };
  for (const auto& [text, names] : cases) EXPECT_EQ(NamesARhyme(text), names) << text.toStdString();
}

TEST(LookupFiltersTest, TrimmedCharacters) {
  EXPECT_EQ(TrimmedCharacters(u" \t讚\u3000"_s), u"讚"_s);
  EXPECT_EQ(TrimmedCharacters(u"讚 美"_s), u"讚 美"_s);
  EXPECT_EQ(TrimmedCharacters(u"\u3000 "_s), QString());
}

}  // namespace
}  // namespace ravlek
