#include "romanize/phrase_readings.h"

#include <algorithm>

#include "base/characters.h"

namespace ravlek {
namespace {

// The code points of a text and where each starts (in UTF-16 units), with the end at the back.
struct CodePoints {
  std::vector<char32_t> codes;
  std::vector<qsizetype> starts;
};

CodePoints Split(QStringView text) {
  CodePoints out;
  out.codes.reserve(static_cast<size_t>(text.size()));
  out.starts.reserve(static_cast<size_t>(text.size()) + 1);
  for (qsizetype i = 0; i < text.size();) {
    out.starts.push_back(i);
    const QChar c = text[i];
    if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      out.codes.push_back(QChar::surrogateToUcs4(c, text[i + 1]));
      i += 2;
    } else {
      out.codes.push_back(c.unicode());
      ++i;
    }
  }
  out.starts.push_back(text.size());
  return out;
}

QList<QStringView> Fields(QStringView line) {
  return line.split(u'\t');
}

}  // namespace

void PhraseTable::Add(Phrase phrase) {
  const CodePoints points = Split(phrase.text);
  const auto count = static_cast<qsizetype>(points.codes.size());
  while (phrase.readings.size() < count) phrase.readings.append(QString());
  phrase.readings.resize(count);
  if (count < 2 || std::all_of(phrase.readings.cbegin(), phrase.readings.cend(),
                               [](const QString& r) { return r.isEmpty(); })) {
    return;
  }
  added_.push_back(std::move(phrase));
  Index(PairKey(points.codes[0], points.codes[1]), static_cast<int>(count),
        {-1, static_cast<qsizetype>(added_.size()) - 1, 0});
}

void PhraseTable::Index(quint64 pair, int count, Pending pending) {
  const auto first = static_cast<char32_t>(pair >> 32);
  longestFrom_[first] = std::max(longestFrom_.value(first, 0), count);
  if (pairFilter_.empty()) pairFilter_.assign((size_t(1) << kPairBits) / 64, 0);
  const size_t bit = PairBit(pair);
  pairFilter_[bit / 64] |= quint64(1) << (bit % 64);
  int& longestPair = longestFromPair_[pair];
  longestPair = std::max(longestPair, count);
  empty_ = false;
  const std::lock_guard<std::mutex> lock(*mutex_);
  pending_[pair].push_back(pending);
}

void PhraseTable::ReadPending(quint64 pair) const {
  const auto found = pending_.find(pair);
  if (found == pending_.end()) return;
  const std::vector<Pending> pending = std::move(*found);
  pending_.erase(found);
  for (const Pending& p : pending) {
    if (p.file < 0) {
      Merge(std::move(added_[static_cast<size_t>(p.from)]), pair);
      continue;
    }
    // Checked when the file was added: three fields, one reading per character.
    const QList<QStringView> fields =
        Fields(QStringView(terraTexts_[static_cast<size_t>(p.file)]).mid(p.from, p.length));
    // The strings point into the kept file, which lives as long as the table: tens of thousands
    // of phrases without an allocation each. Readings are copied when a choice takes them.
    const auto kept = [](QStringView view) {
      return QString::fromRawData(view.data(), view.size());
    };
    Phrase phrase;
    phrase.text = kept(fields[0]);
    phrase.source = PhraseSource::TerraPinyin;
    phrase.evidence = kept(fields[1]);
    for (const QStringView r : fields[2].split(u' ')) {
      phrase.readings.append(r == u"-" ? QString() : kept(r));
    }
    Merge(std::move(phrase), pair);
  }
}

void PhraseTable::Merge(Phrase phrase, quint64 pair) const {
  const auto found = index_.constFind(QStringView(phrase.text));
  if (found != index_.cend()) {
    Phrase& kept = **found;
    // A phrase of a source that wins (the user's over the shipped files) names its readings
    // whatever the order the files are read in.
    const bool wins = phrase.source < kept.source;
    for (qsizetype i = 0; i < kept.readings.size(); ++i) {
      if (kept.readings[i].isEmpty() || (wins && !phrase.readings[i].isEmpty())) {
        kept.readings[i] = phrase.readings[i];
      }
    }
    if (wins) {
      kept.source = phrase.source;
      kept.evidence = phrase.evidence;
    }
    return;
  }
  phrases_.push_back(std::move(phrase));
  index_.insert(QStringView(phrases_.back().text), &phrases_.back());
  byPair_[pair].push_back(&phrases_.back());
}

QStringList PhraseTable::AddClassicalTsv(QStringView text, PhraseSource source) {
  QStringList problems;
  const QList<QStringView> lines = text.split(u'\n');
  for (qsizetype n = 1; n < lines.size(); ++n) {
    const QStringView line = lines[n].trimmed();
    if (line.isEmpty() || line.startsWith(u'#')) continue;
    const QList<QStringView> fields = Fields(line);
    const qsizetype open = fields[0].indexOf(u'[');
    const qsizetype close = fields[0].indexOf(u']');
    if (fields.size() < 2 || open < 0 || close <= open + 1 || fields[1].trimmed().isEmpty()) {
      problems.append(
          QStringLiteral("line %1: expected 詞 (the character in brackets), reading").arg(n + 1));
      continue;
    }
    Phrase phrase;
    phrase.source = source;
    phrase.text = fields[0].left(open).toString() +
                  fields[0].mid(open + 1, close - open - 1).toString() +
                  fields[0].mid(close + 1).toString();
    if (phrase.text.contains(u'[') || phrase.text.contains(u']')) {
      problems.append(QStringLiteral("line %1: one character in brackets only").arg(n + 1));
      continue;
    }
    const auto before = static_cast<qsizetype>(Split(fields[0].left(open)).codes.size());
    const auto meant =
        static_cast<qsizetype>(Split(fields[0].mid(open + 1, close - open - 1)).codes.size());
    if (meant != 1) {
      problems.append(QStringLiteral("line %1: one character in brackets only").arg(n + 1));
      continue;
    }
    const auto count = static_cast<qsizetype>(Split(phrase.text).codes.size());
    for (qsizetype i = 0; i < count; ++i) {
      phrase.readings.append(i == before ? fields[1].trimmed().toString() : QString());
    }
    if (fields.size() > 2) phrase.evidence = fields[2].trimmed().toString();
    Add(std::move(phrase));
  }
  return problems;
}

QStringList PhraseTable::AddTerraTsv(QString text) {
  QStringList problems;
  const QStringView all(text);
  const auto file = static_cast<qsizetype>(terraTexts_.size());
  bool used = false;
  qsizetype n = 0;  // the line number, from 1
  for (qsizetype from = 0; from <= all.size();) {
    qsizetype end = all.indexOf(u'\n', from);
    if (end < 0) end = all.size();
    const QStringView line = all.mid(from, end - from);
    const qsizetype lineStart = from;
    from = end + 1;
    if (++n == 1 || line.trimmed().isEmpty()) continue;
    // Checked without building the phrase: three fields, as many readings as characters.
    const qsizetype tab1 = line.indexOf(u'\t');
    const qsizetype tab2 = tab1 < 0 ? -1 : line.indexOf(u'\t', tab1 + 1);
    const bool three = tab2 >= 0 && line.indexOf(u'\t', tab2 + 1) < 0;
    const QStringView word = tab1 < 0 ? line : line.left(tab1);
    const CodePoints points = Split(word);
    const auto count = static_cast<qsizetype>(points.codes.size());
    qsizetype readings = 0;
    bool names = false;  // a reading other than "-"
    if (three) {
      const QStringView field = line.mid(tab2 + 1);
      for (qsizetype r = 0; r <= field.size();) {
        qsizetype space = field.indexOf(u' ', r);
        if (space < 0) space = field.size();
        const QStringView reading = field.mid(r, space - r);
        names = names || (!reading.isEmpty() && reading != u"-");
        ++readings;
        r = space + 1;
      }
    }
    if (readings != count) {
      problems.append(
          QStringLiteral("line %1: expected 詞, 拼音, one reading per character").arg(n));
      continue;
    }
    if (count < 2 || !names) continue;
    Index(PairKey(points.codes[0], points.codes[1]), static_cast<int>(count),
          {file, lineStart, line.size()});
    used = true;
  }
  if (used) terraTexts_.push_back(std::move(text));
  return problems;
}

const Phrase* PhraseTable::Find(QStringView text) const {
  char32_t codes[2] = {0, 0};
  qsizetype at = 0;
  for (char32_t& code : codes) {
    if (at >= text.size()) return nullptr;
    const qsizetype length = CharacterLength(text, at);
    code = CharacterCode(text, at, length);
    at += length;
  }
  const quint64 pair = PairKey(codes[0], codes[1]);
  if (!MayStart(pair)) return nullptr;
  const std::lock_guard<std::mutex> lock(*mutex_);
  if (!pending_.isEmpty()) ReadPending(pair);
  return index_.value(text, nullptr);
}

void PhraseTable::PhrasesAt(QStringView text, char32_t first, char32_t second,
                            std::vector<const Phrase*>& out) const {
  out.clear();
  const quint64 pair = PairKey(first, second);
  if (!MayStart(pair)) return;
  {
    const std::lock_guard<std::mutex> lock(*mutex_);
    if (!pending_.isEmpty()) ReadPending(pair);
    const auto found = byPair_.constFind(pair);
    if (found == byPair_.cend()) return;
    for (const Phrase* phrase : *found) {
      if (text.startsWith(phrase->text)) out.push_back(phrase);
    }
  }
  std::sort(out.begin(), out.end(), [](const Phrase* a, const Phrase* b) {
    return a->readings.size() > b->readings.size();
  });
}

bool PhraseTable::Touches(QStringView text) const {
  if (empty_) return false;
  char32_t before = 0;
  bool first = true;
  for (qsizetype i = 0; i < text.size(); ++i) {
    char32_t code = text[i].unicode();
    if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
      code = QChar::surrogateToUcs4(text[i], text[i + 1]);
      ++i;
    }
    if (!first && MayStart(PairKey(before, code)) &&
        longestFromPair_.contains(PairKey(before, code))) {
      return true;
    }
    before = code;
    first = false;
  }
  return false;
}

qsizetype PhraseTable::size() const {
  if (empty_) return 0;
  const std::lock_guard<std::mutex> lock(*mutex_);
  while (!pending_.isEmpty()) ReadPending(pending_.cbegin().key());
  return static_cast<qsizetype>(phrases_.size());
}

std::vector<PhraseChoice> ChoosePhraseReadings(QStringView line, const PhraseTable& table,
                                               const HasReadingFn& hasReading,
                                               const QStringList& userChoices) {
  if (userChoices.isEmpty() && !table.Touches(line)) {
    return std::vector<PhraseChoice>(static_cast<size_t>(CharacterCount(line)));
  }
  const CodePoints points = Split(line);
  const size_t count = points.codes.size();
  std::vector<PhraseChoice> choices(count);
  if (!table.isEmpty()) {
    std::vector<int> length(count, 0);  // of the phrase that chose, in characters
    std::vector<const Phrase*> found;
    for (size_t start = 0; start + 1 < count; ++start) {
      const qsizetype from = points.starts[start];
      table.PhrasesAt(line.mid(from), points.codes[start], points.codes[start + 1], found);
      for (const Phrase* phrase : found) {
        const auto size = static_cast<int>(phrase->readings.size());
        // A phrase that ends inside a surrogate pair of the line is not there.
        if (static_cast<size_t>(size) > count - start ||
            points.starts[start + static_cast<size_t>(size)] - from != phrase->text.size()) {
          continue;
        }
        for (int i = 0; i < size; ++i) {
          const size_t at = start + static_cast<size_t>(i);
          const QString& reading = phrase->readings[i];
          if (reading.isEmpty() || size < length[at]) continue;
          if (size == length[at] && choices[at].phrase->source <= phrase->source) continue;
          if (!hasReading(points.codes[at], reading)) continue;
          choices[at].reading = QString(reading.constData(), reading.size());
          choices[at].phrase = phrase;
          choices[at].offset = i;
          length[at] = size;
        }
      }
    }
  }
  for (size_t i = 0; i < count && i < static_cast<size_t>(userChoices.size()); ++i) {
    const QString& chosen = userChoices[static_cast<qsizetype>(i)];
    if (chosen.isEmpty()) continue;
    choices[i] = PhraseChoice{chosen, nullptr, true};
  }
  return choices;
}

QStringList PhraseFirstReadings(const std::vector<PhraseChoice>& choices) {
  QStringList out;
  out.reserve(static_cast<qsizetype>(choices.size()));
  for (const PhraseChoice& choice : choices) out.append(choice.reading);
  return out;
}

}  // namespace ravlek
