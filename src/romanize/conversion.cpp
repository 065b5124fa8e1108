#include "romanize/conversion.h"

#include <algorithm>

#include "base/characters.h"
#include "metre/metre_choices.h"
#include "romanize/phrase_chooser.h"
#include "romanize/reading_explanation.h"
#include "romanize/romanizer.h"

namespace ravlek {
namespace {

bool HasBothTones(const metre::CharacterReadings& readings, char32_t character) {
  const QStringList* spells = readings.FindReadings(character);
  if (!spells) return false;
  bool level = false;
  bool oblique = false;
  for (const QString& spell : *spells) {
    level = level || metre::IsLevelToneDigit(metre::ToneDigit(spell));
    oblique = oblique || metre::IsObliqueToneDigit(metre::ToneDigit(spell));
  }
  return level && oblique;
}

// The code of the character at code point `index` of `line`.
char32_t CodeAt(const QString& line, qsizetype index) {
  qsizetype k = 0;
  for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos), ++k) {
    if (k == index) return ravlek::CharacterCode(line, pos, CharacterLength(line, pos));
  }
  return 0;
}

}  // namespace

void ReadingChooser::Explain(qsizetype line, qsizetype index, const QString& reason) {
  if (!why_ || line >= why_->size()) return;
  QStringList& reasons = (*why_)[line];
  if (reasons.size() <= index) reasons.resize(index + 1);
  reasons[index] = reason;
}

void MetreChooser::Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
                          FirstReadings& first) {
  if (kind != metre::PoemSplitter::Kind::Poem || !part.regularShape) return;
  const bool withPhrases =
      phrases_ && phrases_->HasPhrases() && metre::MayBeRegulatedPoem(part.lines);
  FirstReadings preferred;
  if (withPhrases) preferred = phrases_->Readings(part.lines);
  const bool anyPreferred =
      std::any_of(preferred.cbegin(), preferred.cend(), [](const QStringList& l) {
        return std::any_of(l.cbegin(), l.cend(), [](const QString& r) { return !r.isEmpty(); });
      });
  if (!anyPreferred && !Explaining()) {
    // Nothing to weigh but the metre: the poem is checked once, in place.
    metre::AddPoemMetreReadings(part, sources_, first);
    return;
  }
  const QList<QList<metre::MetrePlace>> places =
      metre::PoemMetrePlaces(part.lines, sources_, anyPreferred ? &preferred : nullptr);
  for (qsizetype i = 0; i < places.size() && i < first.size(); ++i) {
    QStringList& line = first[i];
    if (line.size() < places[i].size()) line.resize(places[i].size());
    for (qsizetype k = 0; k < places[i].size(); ++k) {
      const metre::MetrePlace& place = places[i][k];
      if (!line[k].isEmpty() || place.reading.isEmpty()) continue;
      line[k] = place.reading;
      if (!Explaining()) continue;
      // The metre says why only where its tone decided: the character has readings of both.
      QStringList reasons;
      if (place.preferred) reasons.append(phrases_->Reason(part.lines[i], k));
      if (place.tone != metre::Tone::Either &&
          HasBothTones(sources_.Readings(), CodeAt(part.lines[i], k))) {
        reasons.append(MetreReason(place));
      }
      if (!reasons.isEmpty()) Explain(i, k, reasons.join(kReasonSeparator));
    }
  }
}

void ShownReadingChooser::Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
                                 FirstReadings& first) {
  FirstReadings own(first.size());
  FirstReadings why(first.size());
  inner_.ExplainInto(Explaining() ? &why : nullptr);
  inner_.Choose(kind, part, own);
  inner_.ExplainInto(nullptr);
  for (qsizetype i = 0; i < own.size(); ++i) {
    QStringList& line = first[i];
    if (line.size() < own[i].size()) line.resize(own[i].size());
    for (qsizetype k = 0; k < own[i].size(); ++k) {
      if (!line[k].isEmpty() || own[i][k].isEmpty()) continue;
      line[k] = shown_(own[i][k]);
      if (Explaining()) Explain(i, k, why[i].value(k));
    }
  }
}

ConversionStream::ConversionStream(std::vector<ReadingChooser*> choosers, LineFn out)
    : ConversionStream(
          std::move(choosers),
          ExplainedLineFn([out = std::move(out)](const QString& line, const QStringList& first,
                                                 const QStringList&) { out(line, first); })) {
  explain_ = false;
}

ConversionStream::ConversionStream(std::vector<ReadingChooser*> choosers, ExplainedLineFn out)
    : choosers_(std::move(choosers)),
      out_(std::move(out)),
      explain_(true),
      splitter_([this](metre::PoemSplitter::Kind kind,
                       metre::PoemLines&& part) { Part(kind, std::move(part)); },
                false) {}

void ConversionStream::Part(metre::PoemSplitter::Kind kind, metre::PoemLines&& part) {
  FirstReadings first(part.lines.size());
  FirstReadings why(explain_ ? part.lines.size() : 0);
  if (kind != metre::PoemSplitter::Kind::Blank) {
    for (ReadingChooser* chooser : choosers_) {
      chooser->ExplainInto(explain_ ? &why : nullptr);
      chooser->Choose(kind, part, first);
      chooser->ExplainInto(nullptr);
    }
  }
  static const QStringList none;
  for (qsizetype i = 0; i < part.lines.size(); ++i) {
    out_(part.lines[i], first[i], explain_ ? why[i] : none);
  }
}

void ConversionStream::AddLine(const QString& line) {
  splitter_.AddLine(line);
}

void ConversionStream::Finish() {
  splitter_.Finish();
}

RomanizeStream::RomanizeStream(Romanizer& romanizer, std::vector<ReadingChooser*> choosers,
                               LineFn out, StartFn starting,
                               std::function<void(qsizetype)> progress)
    : stream_(std::move(choosers),
              [&romanizer, out = std::move(out), starting = std::move(starting),
               progress = std::move(progress)](const QString& line, const QStringList& first) {
                if (starting) starting(line);
                out(line, romanizer.RomanizeLine(line, first, progress));
              }) {}

RomanizeStream::RomanizeStream(Romanizer& romanizer, std::vector<ReadingChooser*> choosers,
                               ExplainedLineFn out)
    : stream_(std::move(choosers),
              ConversionStream::ExplainedLineFn(
                  [&romanizer, out = std::move(out)](const QString& line, const QStringList& first,
                                                     const QStringList& why) {
                    out(line, romanizer.RomanizeLine(line, first), first, why);
                  })) {}

FirstReadings ChooseFirstReadings(const QStringList& lines,
                                  const std::vector<ReadingChooser*>& choosers,
                                  FirstReadings* why) {
  FirstReadings result;
  result.reserve(lines.size());
  const auto add = [&result, why](const QString&, const QStringList& first,
                                  const QStringList& reasons) {
    result.append(first);
    if (why) why->append(reasons);
  };
  const auto feed = [&lines](ConversionStream& stream) {
    for (const QString& line : lines) stream.AddLine(line);
    stream.Finish();
  };
  if (why) {
    ConversionStream stream(choosers, ConversionStream::ExplainedLineFn(add));
    feed(stream);
  } else {
    ConversionStream stream(
        choosers, ConversionStream::LineFn([&add](const QString& line, const QStringList& first) {
          add(line, first, {});
        }));
    feed(stream);
  }
  return result;
}

ReadingChoices PositionChoices(const QStringList& lines, const FirstReadings& readings) {
  ReadingChoices choices;
  qsizetype position = 1;
  for (qsizetype i = 0; i < lines.size(); ++i) {
    const QString& line = lines[i];
    static const QStringList none;
    const QStringList& chosen = i < readings.size() ? readings[i] : none;
    qsizetype k = 0;
    for (qsizetype pos = 0; pos < line.size(); pos += CharacterLength(line, pos), ++k) {
      if (k < chosen.size() && !chosen[k].isEmpty()) choices.insert(position, chosen[k]);
      ++position;
    }
    ++position;  // the line end
  }
  return choices;
}

}  // namespace ravlek
