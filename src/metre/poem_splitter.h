#pragma once
// The one place a text is cut into poems, for the 格律 check, the conversion, the handout and
// ravlek-cli: at empty lines, and where the shape changes without one (a regulated poem followed
// by a line whose 句 differ in length, a title-like line, prose; punctuated prose or 古體
// followed by a title-like line).

#include <QList>
#include <QString>
#include <QStringList>
#include <functional>

#include "metre/metre_check.h"

namespace ravlek::metre {

struct PoemLines {
  int firstLine = 0;  // the index of its first line in the text
  QStringList lines;
  PoemEnd end = PoemEnd::TextEnd;
  bool regularShape = false;  // the shape of regulated verse (PoemShape::MayBe)
};

// Takes a text a line at a time and gives its parts in the order of the input, each line in
// exactly one part, as soon as they are known: so memory stays bounded by the longest poem.
class PoemSplitter {
 public:
  enum class Kind {
    Blank,  // one empty or blank line
    Poem,   // a whole poem
    Loose,  // lines of a poem that can no longer be regulated verse (when not kept whole)
  };
  using PartFn = std::function<void(Kind kind, PoemLines&& part)>;

  // With `wholePoems`, every poem comes whole (the check needs a 古體 whole); without it, the
  // lines of a poem that can no longer have the regulated shape come at once as Loose parts, so
  // that the conversion need not hold a long text without empty lines.
  PoemSplitter(PartFn out, bool wholePoems);
  void AddLine(const QString& line);
  // Gives what is still held; the splitter can then take another text.
  void Finish();

 private:
  void EndPoem(PoemEnd end);

  PartFn out_;
  bool wholePoems_;
  int next_ = 0;  // the index of the next line
  PoemLines poem_;
  PoemShape shape_;
  bool open_ = false;   // a poem has begun
  bool loose_ = false;  // its lines are given as they come
};

// The poems of a whole text, each whole, without the blank lines between them.
QList<PoemLines> SplitPoems(const QStringList& lines);

// Checks a poem the splitter gave, saying how it ended.
PoemCheck CheckPoem(const PoemLines& poem, const PingshuiTable& table,
                    const CharacterReadings* readings = nullptr,
                    const QList<QStringList>* preferred = nullptr);

// Says in words where a poem was ended when no empty line ended it; empty otherwise.
QString PoemEndText(PoemEnd end);

}  // namespace ravlek::metre
