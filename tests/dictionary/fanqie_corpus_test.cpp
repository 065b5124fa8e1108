// Every 康熙字典 entry through the fanqie extraction on the open dictionary (skipped, saying so,
// when the shared data folder is absent).

#include <gtest/gtest.h>

#include <QFile>
#include <QHash>

#include "dictionary/connection.h"
#include "dictionary/dataset.h"
#include "dictionary/fanqie.h"
#include "tests/support/corpus_texts.h"

namespace {

using namespace ravlek;
using namespace Qt::StringLiterals;

const QString kDictionary = test::BuiltOpenDictionary();

// The notations that the extraction must find, counted without it: every 切 or 反 with at least
// two characters before it, at most the extraction's limit.
int IndependentNotationCount(const QString& text) {
  int count = 0;
  qsizetype index = 0;
  for (const char32_t code : text.toUcs4()) {
    if ((code == U'切' || code == U'反') && index >= 2) ++count;
    ++index;
  }
  return std::min(count, 25);
}

// The store's lookup, asked once per character: the answer for a character never changes, and
// the entries ask for the same few thousand characters again and again.
class RememberingLookup : public BaseWordLookup {
 public:
  explicit RememberingLookup(BaseWordLookup& lookup) : lookup_(lookup) {}
  std::optional<BaseWordRow> Find(const QString& character) override {
    auto it = known_.find(character);
    if (it == known_.end()) it = known_.insert(character, lookup_.Find(character));
    return *it;
  }

 private:
  BaseWordLookup& lookup_;
  QHash<QString, std::optional<BaseWordRow>> known_;
};

TEST(CorpusTest, EveryKangxiEntryThroughTheFanqieExtraction) {
  SKIP_WITHOUT_CORPUS();
  const QStringList entries = test::KangxiEntries();
  EXPECT_EQ(entries.size(), 47039);
  TFDConnection connection;
  ASSERT_TRUE(connection.OpenSqliteFile(kDictionary).ok());
  TFDQuery baseWords(connection, u"FDQueryBaseWords"_s, u"select * from BaseWords"_s);
  TFDQuery baseWordsPlus(connection, u"FDQueryBaseWordsPlus"_s, u"select * from BaseWordsPlus"_s);
  baseWords.Open();
  baseWordsPlus.Open();
  DatasetBaseWordLookup store(baseWords, baseWordsPlus);
  RememberingLookup lookup(store);
  qsizetype notations = 0;
  qsizetype unread = 0;
  qsizetype differing = 0;
  for (const QString& entry : entries) {
    // The extraction reads a passage with its line breaks as CR LF, as the window holds it.
    const QString text = QString(entry).replace(u"\r\n"_s, u"\n"_s).replace(u"\n"_s, u"\r\n"_s);
    const QString out = ExtractFanqieReadings(text, lookup);
    const int lines = static_cast<int>(out.count(u"\r\n"_s));
    if (lines != IndependentNotationCount(text)) ++differing;
    notations += lines;
    // A character without a reading is shown as itself in brackets.
    for (const QString& line : out.split(u"\r\n"_s, Qt::SkipEmptyParts)) {
      const QList<uint> codes = line.toUcs4();
      if (codes.size() > 3 && codes[1] == u'(' && codes[2] == codes[0]) ++unread;
    }
  }
  EXPECT_EQ(differing, 0) << "entries whose line count differs from the independent count";
  std::printf("康熙字典: %lld entries, %lld notations, %lld upper characters without a reading\n",
              static_cast<long long>(entries.size()), static_cast<long long>(notations),
              static_cast<long long>(unread));
  EXPECT_GT(notations, 60000);
}

}  // namespace
