#include "romanize/conversion.h"

#include "base/characters.h"
#include "metre/metre_choices.h"
#include "romanize/romanizer.h"

namespace ravlek {

void MetreChooser::Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
                          FirstReadings& first) {
  if (kind != metre::PoemSplitter::Kind::Poem) return;
  metre::AddPoemMetreReadings(part, sources_, first);
}

void ShownReadingChooser::Choose(metre::PoemSplitter::Kind kind, const metre::PoemLines& part,
                                 FirstReadings& first) {
  FirstReadings own(first.size());
  inner_.Choose(kind, part, own);
  for (qsizetype i = 0; i < own.size(); ++i) {
    QStringList& line = first[i];
    if (line.size() < own[i].size()) line.resize(own[i].size());
    for (qsizetype k = 0; k < own[i].size(); ++k) {
      if (line[k].isEmpty() && !own[i][k].isEmpty()) line[k] = shown_(own[i][k]);
    }
  }
}

ConversionStream::ConversionStream(std::vector<ReadingChooser*> choosers, LineFn out)
    : choosers_(std::move(choosers)),
      out_(std::move(out)),
      splitter_([this](metre::PoemSplitter::Kind kind,
                       metre::PoemLines&& part) { Part(kind, std::move(part)); },
                false) {}

void ConversionStream::Part(metre::PoemSplitter::Kind kind, metre::PoemLines&& part) {
  FirstReadings first(part.lines.size());
  if (kind != metre::PoemSplitter::Kind::Blank) {
    for (ReadingChooser* chooser : choosers_) chooser->Choose(kind, part, first);
  }
  for (qsizetype i = 0; i < part.lines.size(); ++i) out_(part.lines[i], first[i]);
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

FirstReadings ChooseFirstReadings(const QStringList& lines,
                                  const std::vector<ReadingChooser*>& choosers) {
  FirstReadings result;
  result.reserve(lines.size());
  ConversionStream stream(
      choosers, [&result](const QString&, const QStringList& first) { result.append(first); });
  for (const QString& line : lines) stream.AddLine(line);
  stream.Finish();
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
