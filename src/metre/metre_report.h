#pragma once
// A checked poem written out: the TSV rows of ravlek-cli metre --tsv and the plain text for
// people.

#include <QList>
#include <QString>
#include <QStringList>

#include "metre/metre_check.h"
#include "metre/poem_splitter.h"

namespace ravlek::metre {

// One row per 句, `N<TAB>K<TAB>text<TAB>tones<TAB>rhyme<TAB>readings`, then
// `# poem<TAB>N<TAB>form<TAB>rhyme group<TAB>faults`; each row ends in LF. `number` is N, from
// 1. faults are the names comma-separated, 合律 for a regulated poem without any, empty for 古體.
QString MetreTsv(const PoemCheck& check, int number);

// The poem for people: each 句 with its pattern under it, then its form, rhyme and faults in
// words, the remedied forms it uses, and which characters' tones come from their readings.
QString MetrePlainText(const PoemCheck& check, int number);

// What the poem's faults say: 合律, the fault names joined by 、, or 古體不論 for 古體.
QString FaultSummary(const PoemCheck& check);

// One fault or remedied form in words, e.g. 第3句第4字「去」犯律.
QString FindingText(const PoemCheck& check, const Finding& finding);

}  // namespace ravlek::metre
