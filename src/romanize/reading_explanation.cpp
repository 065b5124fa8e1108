#include "romanize/reading_explanation.h"

#include <QRegularExpression>

#include "dictionary/tailo.h"
#include "metre/pingshui_table.h"

namespace ravlek {
namespace {

using namespace Qt::StringLiterals;

QString Arrow() {
  return u" → "_s;
}

// The syllable of `index` in a terra-pinyin reading ("kuai4 le4"; alternatives after '/').
QString PinyinSyllable(const QString& pinyin, qsizetype index) {
  const QString firstForm = pinyin.section(u'/', 0, 0);
  return firstForm.split(u' ', Qt::SkipEmptyParts).value(index);
}

}  // namespace

QString PinyinWithToneMark(const QString& syllable) {
  static const QString kVowels = u"aeiouü"_s;
  static const QString kMarked[] = {u"āēīōūǖ"_s, u"áéíóúǘ"_s, u"ǎěǐǒǔǚ"_s, u"àèìòùǜ"_s};
  QString text = syllable;
  text.replace(u"u:"_s, u"ü"_s).replace(u'v', u'ü');
  if (text.isEmpty() || !text.back().isDigit()) return text;
  const int tone = text.back().digitValue();
  text.chop(1);
  if (tone < 1 || tone > 4) return text;
  // a or e takes the mark; in ou the o; else the last vowel.
  qsizetype at = text.indexOf(u'a');
  if (at < 0) at = text.indexOf(u'e');
  if (at < 0) at = text.indexOf(u"ou"_s);
  if (at < 0) {
    for (qsizetype i = text.size() - 1; i >= 0; --i) {
      if (kVowels.contains(text[i])) {
        at = i;
        break;
      }
    }
  }
  if (at < 0) return text;
  text[at] = kMarked[tone - 1][kVowels.indexOf(text[at])];
  return text;
}

QString FanqieOf(const QString& ptypeDesc) {
  for (const QString& word :
       ptypeDesc.split(QRegularExpression(u"[\\s，,]"_s), Qt::SkipEmptyParts)) {
    if (word.size() >= 2 && word.endsWith(u'切')) return word;
  }
  return {};
}

QString PhraseReason(const Phrase& phrase, qsizetype index, const QString& character,
                     const QString& reading, const QString& fanqie) {
  QString meaning;
  QString entry = fanqie;
  if (phrase.source == PhraseSource::TerraPinyin) {
    meaning = PinyinWithToneMark(PinyinSyllable(phrase.evidence, index));
  } else {
    // "廣韻 弋雪切，同悅": the entry, then the sense.
    const QString evidence = phrase.evidence;
    const QString found = FanqieOf(evidence);
    if (!found.isEmpty()) entry = found;
    const qsizetype comma = evidence.indexOf(u'，');
    meaning =
        comma >= 0 ? evidence.mid(comma + 1).trimmed() : (found.isEmpty() ? evidence : QString());
  }
  QString reason = phrase.text + Arrow() + character;
  if (!meaning.isEmpty()) reason += u' ' + meaning;
  if (!entry.isEmpty()) reason += Arrow() + entry;
  return reason + Arrow() + ToneMarkedTaiLo(reading);
}

QString MetreReason(const metre::MetrePlace& place) {
  QString reason = u"格律: 第%1句第%2字"_s.arg(place.verse).arg(place.index);
  if (place.tone != metre::Tone::Either) {
    reason += place.tone == metre::Tone::Level ? u"須平"_s : u"須仄"_s;
  }
  if (place.rhymePosition && place.rhyme >= 0) {
    reason += u"，押"_s + metre::RhymeGroupName(place.rhyme);
  }
  if (place.byOrder) reason += kReasonSeparator + u"用法次序"_s;
  return reason;
}

}  // namespace ravlek
