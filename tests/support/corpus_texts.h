#pragma once
// The texts of the shared open data that the whole-corpus tests and benchmarks run, read from
// RAVLEK_SHARED_DATA_DIR. Each function returns nothing when its file is absent.

#include <QList>
#include <QString>
#include <QStringList>

namespace ravlek::test {

// The shared data folder, and whether it is there.
QString SharedDataDir();
bool HaveSharedData();

// The open dictionary as the build lays it out, and why a whole-corpus run cannot go on (the
// shared data folder absent or that dictionary not built), or nothing when it can.
QString BuiltOpenDictionary();
QString WholeCorpusSkipReason();

// Skips the calling test, saying why, when a whole-corpus run cannot go on.
#define SKIP_WITHOUT_CORPUS()                                                    \
  if (const QString why = ravlek::test::WholeCorpusSkipReason(); !why.isEmpty()) \
  GTEST_SKIP() << why.toStdString()

// One line per title and per line of verse or prose paragraph, in the order of the source:
// every poem of 唐詩三百首, every piece of 古文觀止, every one of the 57,607 poems of the Tang
// corpus. A line break inside a title becomes a blank.
QStringList TangShiSanBaiShouLines();
QStringList GuWenGuanZhiLines();
QStringList QuanTangShiLines();

// One poem of 唐詩三百首 with its section (五言絕句, 七言律詩, 樂府 …).
struct CorpusPoem {
  QString section;
  QString title;
  QString author;
  QStringList paragraphs;
};
QList<CorpusPoem> TangShiSanBaiShouPoems();

// The 57,607 Tang poems, each poem's lines (its paragraphs) followed by an empty line: the input
// of ravlek-cli metre, which separates poems at empty lines.
QStringList QuanTangShiPoemLines();

// The text of every 康熙字典 entry (what follows a headword up to the next), markup removed and
// its lines kept.
QStringList KangxiEntries();

// Han ideographs: the unified blocks, their extensions and the compatibility block.
bool IsHanCharacter(char32_t code);

}  // namespace ravlek::test
