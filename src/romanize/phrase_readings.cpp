#include "romanize/phrase_readings.h"

#include <algorithm>

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
  const auto found = index_.constFind(QStringView(phrase.text));
  if (found != index_.cend()) {
    Phrase& kept = phrases_[static_cast<size_t>(*found)];
    // A phrase of a source that wins (the user's over the shipped files) names its readings
    // whatever the order the files are read in.
    const bool wins = phrase.source < kept.source;
    for (qsizetype i = 0; i < count; ++i) {
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
  const char32_t first = points.codes.front();
  longestFrom_[first] = std::max(longestFrom_.value(first, 0), static_cast<int>(count));
  int& longestPair = longestFromPair_[(quint64(first) << 32) | points.codes[1]];
  longestPair = std::max(longestPair, static_cast<int>(count));
  phrases_.push_back(std::move(phrase));
  index_.insert(QStringView(phrases_.back().text), static_cast<qsizetype>(phrases_.size()) - 1);
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

QStringList PhraseTable::AddTerraTsv(QStringView text) {
  QStringList problems;
  const QList<QStringView> lines = text.split(u'\n');
  for (qsizetype n = 1; n < lines.size(); ++n) {
    const QStringView line = lines[n];
    if (line.trimmed().isEmpty()) continue;
    const QList<QStringView> fields = Fields(line);
    const QList<QStringView> readings =
        fields.size() == 3 ? fields[2].split(u' ') : QList<QStringView>();
    Phrase phrase;
    phrase.text = fields[0].toString();
    if (readings.size() != static_cast<qsizetype>(Split(phrase.text).codes.size())) {
      problems.append(
          QStringLiteral("line %1: expected 詞, 拼音, one reading per character").arg(n + 1));
      continue;
    }
    phrase.source = PhraseSource::TerraPinyin;
    phrase.evidence = fields[1].toString();
    for (const QStringView r : readings) {
      phrase.readings.append(r == u"-" ? QString() : r.toString());
    }
    Add(std::move(phrase));
  }
  return problems;
}

const Phrase* PhraseTable::Find(QStringView text) const {
  const auto found = index_.constFind(text);
  return found == index_.cend() ? nullptr : &phrases_[static_cast<size_t>(*found)];
}

std::vector<PhraseChoice> ChoosePhraseReadings(QStringView line, const PhraseTable& table,
                                               const HasReadingFn& hasReading,
                                               const QStringList& userChoices) {
  const CodePoints points = Split(line);
  const size_t count = points.codes.size();
  std::vector<PhraseChoice> choices(count);
  if (!table.isEmpty()) {
    std::vector<int> length(count, 0);  // of the phrase that chose, in characters
    for (size_t start = 0; start + 1 < count; ++start) {
      const int longest = std::min(table.LongestFrom(points.codes[start], points.codes[start + 1]),
                                   static_cast<int>(count - start));
      for (int size = longest; size >= 2; --size) {
        const qsizetype from = points.starts[start];
        const Phrase* phrase =
            table.Find(line.mid(from, points.starts[start + static_cast<size_t>(size)] - from));
        if (phrase == nullptr) continue;
        for (int i = 0; i < size; ++i) {
          const size_t at = start + static_cast<size_t>(i);
          const QString& reading = phrase->readings[i];
          if (reading.isEmpty() || size < length[at]) continue;
          if (size == length[at] && choices[at].phrase->source <= phrase->source) continue;
          if (!hasReading(points.codes[at], reading)) continue;
          choices[at].reading = reading;
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
