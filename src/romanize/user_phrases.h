#pragma once
// The user's own phrase readings: a reading kept for a phrase, not only for one text, which the
// conversion, the handout, the metre and ravlek-cli read before the shipped phrase files.
//
// The file is user_phrases.tsv in the application folder, beside FDConnectionDefs.ini and the
// dictionary: the package ships no such file, so an upgrade never replaces it. It is UTF-8 text:
// the first line names the fields (詞, 讀音, 備註); then one phrase a line, the character meant in
// brackets as in the classical readings' file (不亦[說]乎), its reading in numeric Tâi-lô, and
// optionally a note, in which a tab, line feed, carriage return and backslash are written \t, \n,
// \r and \\. Empty lines, lines that begin with # and further field lines are passed over. Where
// two lines name the same phrase and character, the later wins.
//
// A line that cannot be read is reported and kept: the file is rewritten with every line it had
// but the ones a change replaces or removes, each kept byte for byte.

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

namespace ravlek {

class PhraseTable;

inline const QString kUserPhrasesFile = QStringLiteral("user_phrases.tsv");

// The user's phrase file of an application folder.
QString UserPhrasesPath(const QString& appFolder);

struct UserPhrase {
  QString phrase;   // with the character meant in brackets: 不亦[說]乎
  QString reading;  // numeric Tâi-lô
  QString note;

  bool operator==(const UserPhrase&) const = default;
};

// What is wrong with a phrase as it would be kept (the phrase, the bracket, the characters, the
// reading); empty when nothing. The reading may be typed with tone marks: `normalized` (when
// given) gets the phrase as it is stored, its reading in numeric Tâi-lô.
QString UserPhraseProblem(const UserPhrase& phrase, UserPhrase* normalized = nullptr);

// The phrase of a line with the character at `index` (in characters; a surrogate pair is one) in
// brackets, as the file writes it.
QString BracketedPhrase(const QString& text, qsizetype index);

// A phrase as a line of the file (without its line end).
QString UserPhraseLine(const UserPhrase& phrase);

// The readings a character has, numeric Tâi-lô; an empty list when it has none.
using ReadingsOfFn = std::function<QStringList(char32_t character)>;

// Why a phrase (as stored) cannot be kept by these readings: its character has none, or not this
// one (the message names those it has); empty when it can.
QString MissingReadingProblem(const UserPhrase& phrase, const ReadingsOfFn& readingsOf);

class UserPhraseFile {
 public:
  enum class Change { Added, Replaced, Unchanged };

  // Reads a file's bytes; no bytes is an empty file. Every line is kept as it was.
  static UserPhraseFile Parse(const QByteArray& bytes);
  // The file's bytes: its lines as they were read, the changed ones as written; the field line
  // first when the file had none.
  QByteArray Bytes() const;

  // The phrases in effect, in file order (the place of the first line of each).
  std::vector<UserPhrase> Phrases() const;
  // The same, each with the number of the line in effect.
  std::vector<std::pair<int, UserPhrase>> NumberedPhrases() const;
  // The lines that could not be read: "第N行：why".
  const QStringList& Problems() const { return problems_; }

  // Adds the phrase or replaces the reading (and the note) of the same phrase and character.
  // Raises Error (UserPhraseProblem) for a phrase that cannot be kept.
  Change Keep(const UserPhrase& phrase);
  // Removes the lines of that phrase and character; false when there were none.
  bool Remove(const QString& bracketedPhrase);

  // The phrases in effect into `table` as the user's.
  void AddTo(PhraseTable& table) const;

 private:
  struct Line {
    QByteArray bytes;                  // as read, without its line end
    std::optional<UserPhrase> phrase;  // a line that holds one, as stored
  };
  std::vector<Line> lines_;
  QStringList problems_;
  bool bom_ = false;
  bool crlf_ = false;
  bool header_ = false;
};

// The phrases a reading of the character at `index` of `line` (in characters; a surrogate pair is
// one) may be kept for, each with that character in brackets: the phrases of `table` (when given)
// that cover it, longest first, then the two and three characters around it. Only runs of
// characters count, not punctuation or blanks; empty when the character stands alone.
QStringList PhraseCandidates(QStringView line, qsizetype index, const PhraseTable* table);

// What keeping a phrase did, in a sentence for the user.
QString KeptPhraseMessage(UserPhraseFile::Change change, const UserPhrase& phrase);

// The user's file at `path`; a missing file is an empty one. Raises Error when it exists and
// cannot be read.
UserPhraseFile ReadUserPhrases(const QString& path);
// Writes the file in one step (a file beside it, flushed to disk, renamed over it): a failure
// leaves the old file whole. Raises Error.
void WriteUserPhrases(const QString& path, const UserPhraseFile& file);

// A text that changes whenever the file at `path` may have changed: every write of this process
// counts, and the file's time and size tell of the others.
QString UserPhrasesStamp(const QString& path);

// Keeps one phrase in the file at `path`; raises Error.
UserPhraseFile::Change KeepUserPhrase(const QString& path, const UserPhrase& phrase);
// Removes one phrase (in brackets) from the file at `path`; false when it held none.
bool RemoveUserPhrase(const QString& path, const QString& bracketedPhrase);

// Writes the phrases in effect of the user's file `path` to `to` as a file of the same form;
// returns how many. Lines that cannot be read are not written (the count of them is in the
// problems of ReadUserPhrases). Raises Error.
qsizetype ExportUserPhrases(const QString& path, const QString& to);

struct UserPhraseImport {
  qsizetype added = 0;
  qsizetype replaced = 0;
  qsizetype unchanged = 0;
  QStringList refused;  // "第N行：why", of the imported file
};

// Keeps every phrase of the file `from` in the user's file `path`, written once at the end. A
// line that cannot be read, or whose reading the character does not have (by `readingsOf`, when
// given), is refused with the reason. Raises Error when a file cannot be read or written.
UserPhraseImport ImportUserPhrases(const QString& path, const QString& from,
                                   const ReadingsOfFn& readingsOf);

// The report of an import, one line: "匯入 N 條：新增 a、取代 r、未變 u、拒收 k".
QString ImportSummary(const UserPhraseImport& result);

}  // namespace ravlek
