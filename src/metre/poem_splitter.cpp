#include "metre/poem_splitter.h"

#include <optional>

namespace ravlek::metre {

namespace {

bool IsBlank(const QString& line) {
  for (QChar ch : line) {
    if (!ch.isSpace()) return false;
  }
  return true;
}

}  // namespace

PoemSplitter::PoemSplitter(PartFn out, bool wholePoems)
    : out_(std::move(out)), wholePoems_(wholePoems) {}

void PoemSplitter::EndPoem(PoemEnd end) {
  if (open_ && !poem_.lines.isEmpty()) {
    poem_.end = end;
    poem_.regularShape = !loose_ && shape_.MayBe();
    out_(loose_ ? Kind::Loose : Kind::Poem, std::move(poem_));
  }
  poem_ = PoemLines();
  shape_ = PoemShape();
  open_ = false;
  loose_ = false;
}

void PoemSplitter::AddLine(const QString& line) {
  const int index = next_++;
  if (IsBlank(line)) {
    EndPoem(PoemEnd::EmptyLine);
    out_(Kind::Blank, PoemLines{index, {line}, PoemEnd::EmptyLine, false});
    return;
  }
  // The shape with this line, when it had to be found before the line was taken: not found twice.
  std::optional<PoemShape> longer;
  if (open_ && !loose_ && shape_.MayBe() && poem_.lines.size() < kLongestPoemLines) {
    // A whole regulated shape ends where a line does not fit it: a poem of its own follows.
    longer = shape_;
    longer->AddLine(line);
    if (!longer->MayStart()) {
      EndPoem(PoemEnd::ShapeChange);
      longer.reset();
    }
  } else if (open_ && !shape_.MayStart() && shape_.Punctuated() && IsTitleLike(line)) {
    // In punctuated prose or 古體, a line without punctuation is the title of what follows.
    EndPoem(PoemEnd::ShapeChange);
  }
  if (!open_) {
    open_ = true;
    poem_.firstLine = index;
  }
  if (loose_) {
    shape_.AddLine(line);  // whether it is punctuated decides as for a poem kept whole
    out_(Kind::Loose, PoemLines{index, {line}, PoemEnd::TextEnd, false});
    return;
  }
  poem_.lines.append(line);
  if (longer) {
    shape_ = *longer;
  } else {
    shape_.AddLine(line);
  }
  if (!wholePoems_ && !shape_.MayStart()) {
    loose_ = true;
    PoemLines held = std::move(poem_);
    poem_ = PoemLines();
    held.regularShape = false;
    out_(Kind::Loose, std::move(held));
  }
}

void PoemSplitter::Finish() {
  EndPoem(PoemEnd::TextEnd);
  next_ = 0;
}

QList<PoemLines> SplitPoems(const QStringList& lines) {
  QList<PoemLines> poems;
  PoemSplitter splitter(
      [&poems](PoemSplitter::Kind kind, PoemLines&& part) {
        if (kind == PoemSplitter::Kind::Poem) poems.append(std::move(part));
      },
      true);
  for (const QString& line : lines) splitter.AddLine(line);
  splitter.Finish();
  return poems;
}

PoemCheck CheckPoem(const PoemLines& poem, const PingshuiTable& table,
                    const CharacterReadings* readings, const QList<QStringList>* preferred) {
  PoemCheck check = CheckPoem(poem.lines, table, readings, preferred);
  check.end = poem.end;
  return check;
}

QString PoemEndText(PoemEnd end) {
  if (end != PoemEnd::ShapeChange) return QString();
  return QStringLiteral("下一行體式不同，未隔空行亦另起一首");
}

}  // namespace ravlek::metre
