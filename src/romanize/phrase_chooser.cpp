#include "romanize/phrase_chooser.h"

#include "base/characters.h"
#include "metre/metre_choices.h"
#include "romanize/reading_explanation.h"

namespace ravlek {
namespace {

// The character at code point `index` of `line`; empty past its end.
QString CharacterAt(const QString& line, qsizetype index) {
  qsizetype k = 0;
  for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos), ++k) {
    if (k == index) return line.mid(pos, CharacterLength(line, pos));
  }
  return {};
}

}  // namespace

PhraseChooser::PhraseChooser(const PhraseTable& table, metre::MetreSources& sources,
                             FanqieFn fanqie)
    : table_(table), sources_(sources), fanqie_(std::move(fanqie)) {
  hasReading_ = [this](char32_t character, const QString& reading) {
    const QStringList* spells = sources_.LoadReadings().FindReadings(character);
    return spells && spells->contains(reading);
  };
}

std::vector<PhraseChoice> PhraseChooser::ChooseLine(const QString& line) {
  const qsizetype kept = keptLines_.indexOf(line);
  if (kept >= 0) return keptChoices_[static_cast<size_t>(kept)];
  return ChoosePhraseReadings(line, table_, hasReading_);
}

void PhraseChooser::Choose(metre::PoemSplitter::Kind, const metre::PoemLines& part,
                           FirstReadings& first) {
  if (table_.isEmpty()) return;
  const bool kept = keptLines_ == part.lines;
  for (qsizetype i = 0; i < part.lines.size() && i < first.size(); ++i) {
    if (!kept && !table_.Touches(part.lines[i])) continue;
    std::vector<PhraseChoice> chosen;
    if (!kept) chosen = ChooseLine(part.lines[i]);
    const std::vector<PhraseChoice>& choices = kept ? keptChoices_[static_cast<size_t>(i)] : chosen;
    QStringList& line = first[i];
    for (size_t k = 0; k < choices.size(); ++k) {
      const auto at = static_cast<qsizetype>(k);
      if (choices[k].reading.isEmpty() || (at < line.size() && !line[at].isEmpty())) continue;
      if (line.size() <= at) line.resize(static_cast<qsizetype>(choices.size()));
      line[at] = choices[k].reading;
      if (Explaining()) Explain(i, at, ReasonOf(part.lines[i], at, choices[k]));
    }
  }
}

FirstReadings PhraseChooser::Readings(const QStringList& lines) {
  keptLines_.clear();
  keptChoices_.clear();
  FirstReadings out;
  out.reserve(lines.size());
  for (const QString& line : lines) {
    keptChoices_.push_back(ChoosePhraseReadings(line, table_, hasReading_));
    out.append(PhraseFirstReadings(keptChoices_.back()));
  }
  keptLines_ = lines;
  return out;
}

QString PhraseChooser::Reason(const QString& line, qsizetype index) {
  const std::vector<PhraseChoice> choices = ChooseLine(line);
  if (index < 0 || static_cast<size_t>(index) >= choices.size()) return {};
  return ReasonOf(line, index, choices[static_cast<size_t>(index)]);
}

QString PhraseChooser::ReasonOf(const QString& line, qsizetype index, const PhraseChoice& choice) {
  if (!choice.phrase) return {};
  const QString character = CharacterAt(line, index);
  return PhraseReason(*choice.phrase, choice.offset, character, choice.reading,
                      fanqie_ ? fanqie_(character, choice.reading) : QString());
}

}  // namespace ravlek
