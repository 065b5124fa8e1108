#pragma once
// Readings chosen by the words a character stands in: a table of phrases, each naming the reading
// of some of its characters, and the choice, per character of a line, of the reading the longest
// phrase covering it names.

#include <QHash>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

namespace ravlek {

// Where a phrase comes from; on phrases of the same length the lower wins.
enum class PhraseSource { User = 0, Classical = 1, TerraPinyin = 2 };

struct Phrase {
  QString text;
  QStringList readings;  // one per character of text (a surrogate pair is one); empty: none
  PhraseSource source = PhraseSource::Classical;
  QString evidence;  // why, for the explanation: the 廣韻 entry and sense, the Mandarin reading
};

// terra-pinyin's file is indexed when added and its phrases read only when a text reaches them:
// most runs touch a few hundred of its 32,000 phrases. Look-ups are safe from several threads.
class PhraseTable {
 public:
  PhraseTable() = default;
  PhraseTable(PhraseTable&&) noexcept = default;
  PhraseTable& operator=(PhraseTable&&) noexcept = default;

  // Adds a phrase of at least two characters that names at least one reading; a phrase already
  // there keeps the readings it names, and takes the new one's for its other characters, unless
  // the new one's source wins: then its readings replace those it names, and the phrase is its.
  void Add(Phrase phrase);
  // The phrases of our reviewed file of classical readings: lines of 詞 (the phrase, the
  // character meant in brackets, e.g. 不亦[說]乎), reading, evidence; the first line names the
  // fields. Returns the lines that could not be read ("line N: why").
  QStringList AddClassicalTsv(QStringView text, PhraseSource source = PhraseSource::Classical);
  // terra-pinyin's phrases as data/open_dictionary maps them: 詞, 拼音, 讀音 (one reading per
  // character, "-" for none, separated by spaces). The text is kept; every line is checked now.
  QStringList AddTerraTsv(QString text);

  const Phrase* Find(QStringView text) const;
  // The phrases `text` starts with, longest first, into `out` (cleared first); `first` and
  // `second` are its first two characters.
  void PhrasesAt(QStringView text, char32_t first, char32_t second,
                 std::vector<const Phrase*>& out) const;
  // Whether some phrase starts at some character of `text`: false for most lines of a text.
  bool Touches(QStringView text) const;
  qsizetype size() const;
  bool isEmpty() const { return empty_; }
  // The most characters (code points) of any phrase that starts with `first`; 0 when none.
  int LongestFrom(char32_t first) const { return longestFrom_.value(first, 0); }
  // The same for phrases that start with `first` then `second`: one look-up rules out most places
  // of a text.
  int LongestFrom(char32_t first, char32_t second) const {
    const quint64 pair = PairKey(first, second);
    return MayStart(pair) ? longestFromPair_.value(pair, 0) : 0;
  }

 private:
  // A phrase added but not yet read into phrases_: a line of terraTexts_[file] or, where file is
  // -1, added_[from].
  struct Pending {
    qsizetype file;
    qsizetype from;
    qsizetype length;
  };

  static quint64 PairKey(char32_t first, char32_t second) {
    return (quint64(first) << 32) | second;
  }
  // A filter of one bit per hash of a pair: false for most pairs no phrase starts with, in one
  // memory access where the hash table takes several.
  static size_t PairBit(quint64 pair) {
    return static_cast<size_t>((pair * 0x9E3779B97F4A7C15ULL) >> (64 - kPairBits));
  }
  bool MayStart(quint64 pair) const {
    if (pairFilter_.empty()) return false;
    const size_t bit = PairBit(pair);
    return (pairFilter_[bit / 64] >> (bit % 64)) & 1U;
  }
  void Index(quint64 pair, int count, Pending pending);
  // Reads the phrases pending under `pair`, in the order they were added; under mutex_.
  void ReadPending(quint64 pair) const;
  void Merge(Phrase phrase, quint64 pair) const;

  std::vector<QString> terraTexts_;
  mutable std::vector<Phrase> added_;  // moved out when read
  QHash<char32_t, int> longestFrom_;
  QHash<quint64, int> longestFromPair_;
  static constexpr int kPairBits = 20;
  std::vector<quint64> pairFilter_;  // 2^kPairBits bits once a phrase is added
  bool empty_ = true;
  // Filled by look-ups, hence mutable and guarded.
  std::unique_ptr<std::mutex> mutex_ = std::make_unique<std::mutex>();
  mutable QHash<quint64, std::vector<Pending>> pending_;
  mutable std::deque<Phrase> phrases_;         // never moves: choices point into it
  mutable QHash<QStringView, Phrase*> index_;  // views into phrases_' texts, which never change
  mutable QHash<quint64, std::vector<const Phrase*>> byPair_;  // the phrases read, by first pair
};

// What the phrases chose for one character: the reading and the phrase that named it.
struct PhraseChoice {
  QString reading;
  const Phrase* phrase = nullptr;  // null where the user chose, or nothing did
  qsizetype offset = 0;            // the character's place in the phrase, from 0
  bool byUser = false;
};

// Whether `reading` is one of the character's readings.
using HasReadingFn = std::function<bool(char32_t character, const QString& reading)>;

// Per character of `line` (a surrogate pair is one), the reading of the longest phrase that covers
// it and names a reading the character has (on equal length, the lower source, then the phrase
// that starts first). `userChoices` (one entry per character; missing or empty: none) always win.
// A character no phrase names gets an empty choice.
std::vector<PhraseChoice> ChoosePhraseReadings(QStringView line, const PhraseTable& table,
                                               const HasReadingFn& hasReading,
                                               const QStringList& userChoices = {});

// The choices as Romanizer::RomanizeLine takes them: the reading or an empty entry.
QStringList PhraseFirstReadings(const std::vector<PhraseChoice>& choices);

}  // namespace ravlek
