// The user's own phrase file: reading it line by line, keeping and removing a phrase without
// losing the lines it cannot read, export and import.
#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "base/error.h"
#include "romanize/phrase_files.h"
#include "romanize/phrase_readings.h"
#include "romanize/user_phrases.h"
#include "tests/support/file_bytes.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

void WriteFile(const QString& path, const QByteArray& bytes) {
  QFile file(path);
  ASSERT_TRUE(file.open(QIODevice::WriteOnly));
  ASSERT_EQ(file.write(bytes), bytes.size());
}

struct BadLineCase {
  const char* name;
  QByteArray line;
  QString problem;  // after "第2行："
};

class UserPhraseBadLineTest : public ::testing::TestWithParam<BadLineCase> {};

// Each bad line is reported with its number; the good line after it is still read.
TEST_P(UserPhraseBadLineTest, IsReportedAndTheOthersAreRead) {
  const BadLineCase& c = GetParam();
  const UserPhraseFile file =
      UserPhraseFile::Parse("詞\t讀音\t備註\n" + c.line + "\n快[樂]\tlok8\n");
  EXPECT_EQ(file.Problems(), QStringList{u"第2行："_s + c.problem});
  EXPECT_EQ(file.Phrases(), (std::vector<UserPhrase>{{u"快[樂]"_s, u"lok8"_s, {}}}));
}

INSTANTIATE_TEST_SUITE_P(
    Lines, UserPhraseBadLineTest,
    ::testing::Values(
        BadLineCase{"OneField", "不亦[說]乎",
                    u"應有 詞、讀音、備註（以 Tab 分隔，備註可省），此行有 1 欄"_s},
        BadLineCase{"FourFields", "不亦[說]乎\tuat8\ta\tb",
                    u"應有 詞、讀音、備註（以 Tab 分隔，備註可省），此行有 4 欄"_s},
        BadLineCase{"NoBrackets", "不亦說乎\tuat8", u"詞裡要有一個字放在方括號裡，如 不亦[說]乎"_s},
        BadLineCase{"TwoBrackets", "[不]亦[說]乎\tuat8",
                    u"詞裡要有一個字放在方括號裡，如 不亦[說]乎"_s},
        BadLineCase{"TwoInBrackets", "不亦[說乎]\tuat8", u"方括號裡只能有一個字，不是「說乎」"_s},
        BadLineCase{"OneCharacter", "[說]\tuat8", u"詞至少要有兩個字"_s},
        BadLineCase{"QuotedPhrase", "\"不亦[說]乎\"\tuat8", u"詞含有「\"」，詞裡只能有字"_s},
        BadLineCase{"QuotedReading", "不亦[說]乎\t\"uat8\"",
                    u"讀音「\"uat8\"」不是一個台羅音節（如 lok8 或 lo̍k）"_s},
        BadLineCase{"NoReading", "不亦[說]乎\t ", u"沒有讀音"_s},
        BadLineCase{"TwoSyllables", "不亦[說]乎\tuat8 suat4",
                    u"讀音「uat8 suat4」不是一個台羅音節（如 lok8 或 lo̍k）"_s},
        BadLineCase{"BlankInThePhrase", "不亦 [說]乎\tuat8", u"詞含有空白或控制字元 U+0020"_s},
        // A surrogate written as UTF-8 (CESU-8) is no UTF-8.
        BadLineCase{"EncodedLoneSurrogate", "\xED\xA0\x80[說]\tuat8", u"不是 UTF-8 文字"_s},
        BadLineCase{"NotUtf8", "\xB2\xBB\xA5\xE7[說]\tuat8", u"不是 UTF-8 文字"_s}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(UserPhrasesTest, LoneSurrogateIsRefusedInEveryField) {
  const QString lone(QChar(0xD800));
  for (const UserPhrase& phrase : {UserPhrase{u"不亦[說]"_s + lone, u"uat8"_s, {}},
                                   UserPhrase{u"不亦[說]乎"_s, u"uat8"_s + lone, {}},
                                   UserPhrase{u"不亦[說]乎"_s, u"uat8"_s, u"同悅"_s + lone}}) {
    EXPECT_TRUE(UserPhraseProblem(phrase).contains(u"不成對的代理碼 U+D800"_s))
        << UserPhraseProblem(phrase).toStdString();
    UserPhraseFile file;
    EXPECT_THROW(file.Keep(phrase), Error);
    EXPECT_TRUE(file.Phrases().empty());
  }
}

TEST(UserPhrasesTest, ABrokenFileLosesNothingWhenAPhraseIsKeptOrRemoved) {
  const QTemporaryDir dir;
  const QString path = UserPhrasesPath(dir.path());
  const QByteArray broken =
      "詞\t讀音\t備註\r\n"
      "# 自己的\r\n"
      "不亦[說]乎\r\n"
      "\xB2\xBB\xA5\xE7[說]\tuat8\r\n"
      "快[樂]\tlok8\t\\t分開\\\\\r\n"
      "\r\n";
  WriteFile(path, broken);
  EXPECT_EQ(ReadUserPhrases(path).Problems(),
            QStringList({u"第3行：應有 詞、讀音、備註（以 Tab 分隔，備註可省），此行有 1 欄"_s,
                         u"第4行：不是 UTF-8 文字"_s}));

  EXPECT_EQ(KeepUserPhrase(path, {u"不亦[說]乎"_s, u"ua̍t"_s, u"同悅"_s}),
            UserPhraseFile::Change::Added);
  EXPECT_EQ(ReadAll(path), broken + "不亦[說]乎\tuat8\t同悅\r\n");
  // The note's escapes were read: tab and backslash.
  EXPECT_EQ(ReadUserPhrases(path).Phrases().front().note, u"\t分開\\"_s);

  EXPECT_TRUE(RemoveUserPhrase(path, u" 不亦[說]乎 "_s));
  EXPECT_EQ(ReadAll(path), broken);
  EXPECT_FALSE(RemoveUserPhrase(path, u"不亦[說]乎"_s));
}

TEST(UserPhrasesTest, KeepReplacesTheLineInEffect) {
  UserPhraseFile file = UserPhraseFile::Parse(
      "快[樂]\tgak8\n"  // no field line: the first line is a phrase
      "知者[樂]水\tngau7\t愛好\n"
      "快[樂]\tlok8\n");
  EXPECT_TRUE(file.Problems().isEmpty());
  // The later line wins; the phrase keeps the place of its first line.
  EXPECT_EQ(file.Phrases(), (std::vector<UserPhrase>{{u"快[樂]"_s, u"lok8"_s, {}},
                                                     {u"知者[樂]水"_s, u"ngau7"_s, u"愛好"_s}}));
  EXPECT_EQ(file.Keep({u"知者[樂]水"_s, u"ngau7"_s, {}}), UserPhraseFile::Change::Unchanged);
  EXPECT_EQ(file.Keep({u"知者[樂]水"_s, u"ngāu"_s, u"愛好"_s}), UserPhraseFile::Change::Unchanged);
  EXPECT_EQ(file.Keep({u"快[樂]"_s, u"ga̍k"_s, {}}), UserPhraseFile::Change::Replaced);
  EXPECT_EQ(file.Bytes(), "詞\t讀音\t備註\n快[樂]\tgak8\n知者[樂]水\tngau7\t愛好\n快[樂]\tgak8\n");
  EXPECT_EQ(file.Keep({u"[快]樂"_s, u"khuai3"_s, {}}), UserPhraseFile::Change::Added);
}

TEST(UserPhrasesTest, TheUsersReadingWinsOverAShippedPhraseInEitherOrder) {
  const UserPhraseFile user = UserPhraseFile::Parse("詞\t讀音\t備註\n不亦[說]乎\tsuat4\n");
  const QString shipped = u"詞\t讀音\t依據\n[不]亦說乎\tput4\t\n不亦[說]乎\tuat8\t同悅\n"_s;
  const auto has = [](char32_t, const QString&) { return true; };
  PhraseTable shippedFirst;
  shippedFirst.AddClassicalTsv(shipped);
  user.AddTo(shippedFirst);
  PhraseTable userFirst;
  user.AddTo(userFirst);
  userFirst.AddClassicalTsv(shipped);
  for (const PhraseTable* table : {&shippedFirst, &userFirst}) {
    const std::vector<PhraseChoice> choices = ChoosePhraseReadings(u"不亦說乎"_s, *table, has);
    EXPECT_EQ(PhraseFirstReadings(choices), QStringList({u"put4"_s, {}, u"suat4"_s, {}}));
    EXPECT_EQ(choices[2].phrase->source, PhraseSource::User);
  }
}

struct Folder {
  QTemporaryDir dir;
  QString user = UserPhrasesPath(dir.path());
  QString Path(const QString& name) const { return dir.filePath(name); }
};

QStringList ReadingsOf(char32_t character) {
  if (character == U'說') return {u"suat4"_s, u"sue3"_s, u"uat8"_s, u"uat8"_s};
  if (character == U'樂') return {u"lok8"_s, u"gak8"_s, u"ngau7"_s};
  if (character == U'𠀤') return {u"hing7"_s};
  return {};
}

TEST(UserPhrasesTest, ImportMergesAndRefusesWithTheReason) {
  const Folder folder;
  WriteFile(folder.user, "詞\t讀音\t備註\n快[樂]\tgak8\n知者[樂]水\tngau7\n");
  const QString from = folder.Path(u"from.tsv"_s);
  WriteFile(from,
            "詞\t讀音\t備註\n"
            "快[樂]\tlok8\n"           // replaces
            "知者[樂]水\tngāu\n"       // unchanged
            "不亦[說]乎\tuat8\n"       // added
            "[說]話\tsueh4\n"          // a reading 說 lacks
            "[天]地\tthian1\n"         // a character the dictionary lacks
            "𠀤[說]\tbad reading\n");  // a line that cannot be read
  const UserPhraseImport result = ImportUserPhrases(folder.user, from, &ReadingsOf);
  EXPECT_EQ(result.added, 1);
  EXPECT_EQ(result.replaced, 1);
  EXPECT_EQ(result.unchanged, 1);
  EXPECT_EQ(result.refused,
            QStringList({u"第5行：「說」沒有讀音 sueh4（它有：suat4、sue3、uat8）"_s,
                         u"第6行：「天」不在字典裡"_s,
                         u"第7行：讀音「bad reading」不是一個台羅音節（如 lok8 或 lo̍k）"_s}));
  EXPECT_EQ(ImportSummary(result), u"匯入 3 條：新增 1、取代 1、未變 1、拒收 3"_s);
  EXPECT_EQ(ReadAll(folder.user),
            "詞\t讀音\t備註\n快[樂]\tlok8\n知者[樂]水\tngau7\n不亦[說]乎\tuat8\n");

  EXPECT_THROW(ImportUserPhrases(folder.user, folder.Path(u"missing.tsv"_s), &ReadingsOf), Error);
}

// A note with quotes, backslashes and tabs, a phrase beyond the BMP: out and back in unchanged.
TEST(UserPhrasesTest, ExportAndImportRoundTrip) {
  const Folder folder;
  const std::vector<UserPhrase> phrases = {
      {u"𠀤[說]"_s, u"uat8"_s, u"\"引號\" 'single' \\ 與\tTab"_s},
      {u"快[樂]"_s, u"lok8"_s, {}},
      {u"[樂]𠀤"_s, u"gak8"_s, u"\"全在引號裡\""_s}};
  for (const UserPhrase& phrase : phrases) KeepUserPhrase(folder.user, phrase);
  // A line it cannot read stays in the user's file but is not exported.
  QFile append(folder.user);
  ASSERT_TRUE(append.open(QIODevice::Append));
  append.write("壞行\n");
  append.close();

  const QString out = folder.Path(u"out.tsv"_s);
  EXPECT_EQ(ExportUserPhrases(folder.user, out), 3);
  EXPECT_TRUE(ReadUserPhrases(out).Problems().isEmpty());
  EXPECT_THROW(ExportUserPhrases(folder.user, folder.user), Error);
  EXPECT_TRUE(ReadAll(folder.user).endsWith("壞行\n"));

  const QString other = UserPhrasesPath(folder.Path(u"other"_s));
  ASSERT_TRUE(QDir().mkpath(folder.Path(u"other"_s)));
  const UserPhraseImport result = ImportUserPhrases(other, out, {});
  EXPECT_EQ(result.added, 3);
  EXPECT_TRUE(result.refused.isEmpty());
  EXPECT_EQ(ReadUserPhrases(other).Phrases(), phrases);
  EXPECT_EQ(ReadAll(other), ReadAll(out));
}

TEST(UserPhrasesTest, AMissingFileIsEmptyAndAnUnreadableOneAnError) {
  const Folder folder;
  EXPECT_TRUE(ReadUserPhrases(folder.user).Phrases().empty());
  ASSERT_TRUE(QDir().mkpath(folder.user));  // a folder where the file should be
  EXPECT_THROW(ReadUserPhrases(folder.user), Error);
  EXPECT_THROW(KeepUserPhrase(folder.user, {u"快[樂]"_s, u"lok8"_s, {}}), Error);
}

struct CandidateCase {
  const char* name;
  QString line;
  qsizetype index;
  QStringList expected;
};

class PhraseCandidateTest : public ::testing::TestWithParam<CandidateCase> {};

TEST_P(PhraseCandidateTest, OffersTheTablesPhrasesThenTheCharactersAround) {
  PhraseTable table;
  table.AddClassicalTsv(
      u"詞\t讀音\t依據\n不亦[說]乎\tuat8\t\n[說]話\tsueh4\t\n學而[時]\tsi5\t\n"_s);
  const CandidateCase& c = GetParam();
  EXPECT_EQ(PhraseCandidates(c.line, c.index, &table), c.expected);
}

INSTANTIATE_TEST_SUITE_P(
    Lines, PhraseCandidateTest,
    ::testing::Values(
        CandidateCase{"TableFirstLongestFirst",
                      u"不亦說乎"_s,
                      2,
                      {u"不亦[說]乎"_s, u"亦[說]"_s, u"[說]乎"_s, u"亦[說]乎"_s, u"不亦[說]"_s}},
        // A phrase of the table that the line does not hold, or that does not cover it, is not.
        CandidateCase{"PunctuationEndsTheRun", u"說，話。"_s, 0, {}},
        CandidateCase{"AtTheStart", u"說話好"_s, 0, {u"[說]話"_s, u"[說]話好"_s}},
        CandidateCase{"BeyondTheBmp", u"𠀤說"_s, 1, {u"𠀤[說]"_s}},
        CandidateCase{"NotACharacter", u"說，"_s, 1, {}}),
    [](const auto& info) { return std::string(info.param.name); });

// A reading kept while the program runs counts at the next conversion: the loader reads the
// user's file again once it has changed.
TEST(UserPhrasesTest, TheLoaderSeesAKeptPhrase) {
  const Folder folder;
  EXPECT_EQ(ProcessPhrases(folder.dir.path()).table->Find(u"不亦說乎"_s), nullptr);
  KeepUserPhrase(folder.user, {u"不亦[說]乎"_s, u"uat8"_s, {}});
  const LoadedPhrases loaded = ProcessPhrases(folder.dir.path());
  const Phrase* phrase = loaded.table->Find(u"不亦說乎"_s);
  ASSERT_NE(phrase, nullptr);
  EXPECT_EQ(phrase->readings, QStringList({{}, {}, u"uat8"_s, {}}));
  EXPECT_EQ(phrase->source, PhraseSource::User);
  // Unchanged, it is the same table.
  EXPECT_EQ(ProcessPhrases(folder.dir.path()).table, loaded.table);
}

}  // namespace
}  // namespace ravlek
