#include "metre/metre_check.h"

#include <QHash>

#include <algorithm>
#include <array>
#include <optional>
#include <span>

#include "base/characters.h"
#include "dictionary/tailo_syllable.h"
#include "metre/character_readings.h"

namespace ravlek::metre {

namespace {

// A poem whose fixed positions (2nd, 4th, 6th) keep the alternation of a regulated 句 in at
// least this share is checked as regulated verse; fewer, and it is 古體. Each 句 counts by the
// better of its pattern and the opposite one, so a 句 that breaks 對 or 粘 still counts as
// regulated in itself.
constexpr double kRegulatedShare = 0.8;

bool IsVerseEnd(char32_t code) {
  switch (code) {
    case U'，':
    case U'。':
    case U'？':
    case U'！':
    case U'；':
    case U'、':
    case U',':
    case U'.':
    case U'?':
    case U'!':
    case U';':
      return true;
    default:
      return false;
  }
}

bool IsOpeningNote(char32_t code) {
  return code == U'（' || code == U'(';
}
bool IsClosingNote(char32_t code) {
  return code == U'）' || code == U')';
}

// The tone at a 0-based position of a regulated 句 of 5 or 7 characters, by its 2nd character's
// tone (`headLevel`) and its last one's (`endLevel`); true is 平. The four 五言 patterns:
// 仄仄平平仄, 平平仄仄平, 平平平仄仄, 仄仄仄平平; a 七言 句 puts two of the other tone before one.
bool PatternLevel(int length, bool headLevel, bool endLevel, int position) {
  if (length == 7) {
    if (position < 2) return headLevel;
    return PatternLevel(5, !headLevel, endLevel, position - 2);
  }
  static constexpr std::array<std::array<bool, 5>, 4> patterns = {{
      {false, false, true, true, false},  // 仄 head, 仄 end
      {false, false, false, true, true},  // 仄 head, 平 end
      {true, true, true, false, false},   // 平 head, 仄 end
      {true, true, false, false, true},   // 平 head, 平 end
  }};
  return patterns[(headLevel ? 2 : 0) + (endLevel ? 1 : 0)][position];
}

bool Fits(const MetreCharacter& c, bool level) {
  return level ? c.canBeLevel : c.canBeOblique;
}
bool CertainlyLevel(const MetreCharacter& c) {
  return c.canBeLevel && !c.canBeOblique;
}
bool CertainlyOblique(const MetreCharacter& c) {
  return c.canBeOblique && !c.canBeLevel;
}

// The 2nd, 4th (and 6th) characters.
std::span<const int> FixedPositions(int length) {
  static constexpr int positions[] = {1, 3, 5};
  return std::span<const int>(positions, length == 7 ? 3 : 2);
}

QString FormName(int length, qsizetype verses) {
  const QString words = length == 5 ? QStringLiteral("五言") : QStringLiteral("七言");
  if (verses == 4) return words + QStringLiteral("絕句");
  if (verses == 8) return words + QStringLiteral("律詩");
  return words + QStringLiteral("排律");
}

struct Lines {
  QString title;
  QList<Verse> verses;
};

// Walks one line: `onCharacter(code, pos)` for each character of a 句 (a Han character, letter or
// digit outside notes in parentheses), `onEnd()` at each 句 end mark and at the line's end. `note`
// carries the depth of notes over lines. Returns whether the line holds a 句 end mark.
template <class OnCharacter, class OnEnd>
bool WalkVerseLine(const QString& line, int& note, OnCharacter onCharacter, OnEnd onEnd) {
  bool hasEnd = false;
  for (qsizetype pos = 0; pos < line.size();) {
    const qsizetype length = CharacterLength(line, pos);
    const char32_t code = CharacterCode(line, pos, length);
    if (IsOpeningNote(code)) {
      ++note;
    } else if (IsClosingNote(code)) {
      note = qMax(0, note - 1);
    } else if (note == 0 && IsVerseEnd(code)) {
      hasEnd = true;
      onEnd();
    } else if (note == 0 && ((code >= 0x4E00 && code <= 0x9FFF) || QChar::isLetterOrNumber(code))) {
      onCharacter(code, pos);
    }
    pos += length;
  }
  onEnd();
  return hasEnd;
}

// A title: the first 句, alone on a first line without 句 punctuation, followed by 句 of another
// length.
bool IsTitle(qsizetype firstLine, bool firstLineHasEnd, qsizetype firstLength, qsizetype secondLine,
             qsizetype secondLength) {
  return firstLine != secondLine && !firstLineHasEnd && firstLength != secondLength;
}

// Splits the lines into 句; notes in parentheses and other punctuation are left out.
Lines SplitVerses(const QStringList& lines, const PingshuiTable& table,
                  const CharacterReadings* readings) {
  Lines result;
  QList<bool> lineHasEnd;
  QList<int> verseLine;
  int note = 0;  // a note may run over several lines
  for (int index = 0; index < lines.size(); ++index) {
    Verse verse;
    const auto character = [&](char32_t code, qsizetype pos) {
      if (verse.characters.isEmpty()) verse.characters.reserve(8);
      MetreCharacter& c = verse.characters.emplace_back();
      c.code = code;
      c.line = index;
      c.position = pos;
      bool viaVariant = false;
      const RhymeGroups* groups = table.FindGroups(code, viaVariant);
      if (groups && !groups->isEmpty()) {
        c.groups = *groups;
        c.source = viaVariant ? ToneSource::Variant : ToneSource::Pingshui;
        c.canBeLevel = groups->HasLevel();
        c.canBeOblique = groups->HasOblique();
      } else if (const CharacterReadings::Entry* entry =
                     readings ? readings->FindEntry(code) : nullptr) {
        const bool level = entry->firstLevel >= 0;
        const bool oblique = entry->firstOblique >= 0;
        if (level || oblique) {
          c.source = ToneSource::Readings;
          c.canBeLevel = level;
          c.canBeOblique = oblique;
        }
      }
    };
    const auto finish = [&] {
      if (verse.characters.isEmpty()) return;
      result.verses.append(std::move(verse));
      verseLine.append(index);
      verse = Verse();
    };
    lineHasEnd.append(WalkVerseLine(lines[index], note, character, finish));
  }
  if (result.verses.size() > 1 &&
      IsTitle(verseLine[0], lineHasEnd[verseLine[0]], result.verses[0].characters.size(),
              verseLine[1], result.verses[1].characters.size())) {
    result.title = result.verses[0].Text();
    result.verses.removeFirst();
  }
  return result;
}

bool HasTone(const QString& spell, Tone tone) {
  const int digit = ToneDigit(spell);
  return tone == Tone::Either ||
         (tone == Tone::Level ? IsLevelToneDigit(digit) : IsObliqueToneDigit(digit));
}

// The reading `preferred` names for a character (by its line and UTF-16 position); empty: none.
QString PreferredReading(const QStringList& lines, const QList<QStringList>* preferred,
                         const MetreCharacter& c) {
  if (!preferred || c.line >= preferred->size() || preferred->at(c.line).isEmpty()) return {};
  const QString& line = lines[c.line];
  const QStringList& chosen = preferred->at(c.line);
  if (chosen.size() == line.size()) return chosen.value(c.position);  // no surrogate pair
  qsizetype index = 0;
  for (qsizetype pos = 0; pos < c.position && pos < line.size();
       pos += CharacterLength(line, pos)) {
    ++index;
  }
  return chosen.value(index);
}

// The rhyme of a numeric Tâi-lô reading: its final (hing5 → ing; a syllabic nasal, ng5, is its
// own); a reading of another shape is compared whole, without its tone digit.
QString RhymeOfReading(const QString& spell) {
  if (const std::optional<TailoSyllable> syllable = SplitTailoSyllable(spell)) {
    return syllable->final;
  }
  return ToneDigit(spell) > 0 ? spell.chopped(1) : spell;
}

// A rhyme position and the rhymes of its readings of the tone it needs.
struct RhymePlace {
  const MetreCharacter* character;
  QStringList rhymes;
};

// At a rhyme position, of the readings of the needed tone the one whose rhyme most of the poem's
// other rhyme positions can share (hing5, not hang5, where 聲 明 生 兵 rhyme in -ing); the first
// in order on a tie (`tie` then says so). Null when no reading has the tone.
const QString* RhymingReading(const MetreCharacter& c, const QStringList& spells,
                              const QList<RhymePlace>& places, bool& tie) {
  const QString* best = nullptr;
  int bestCount = -1;
  tie = false;
  for (const QString& spell : spells) {
    if (!HasTone(spell, c.tone)) continue;
    const QString rhyme = RhymeOfReading(spell);
    int count = 0;
    for (const RhymePlace& place : places) {
      count += place.character != &c && place.rhymes.contains(rhyme);
    }
    if (count > bestCount) {
      best = &spell;
      bestCount = count;
      tie = false;
    } else if (count == bestCount) {
      tie = true;
    }
  }
  return best;
}

void ChooseReadings(QList<Verse>& verses, const CharacterReadings* readings,
                    const QStringList& lines, const QList<QStringList>* preferred) {
  if (!readings) return;
  QList<RhymePlace> rhymes;  // read when a rhyme position first has a choice
  bool rhymesRead = false;
  for (Verse& verse : verses) {
    for (MetreCharacter& c : verse.characters) {
      const CharacterReadings::Entry* entry = readings->FindEntry(c.code);
      if (!entry || entry->spells.isEmpty()) continue;
      const QStringList* spells = &entry->spells;
      // A rhyme position keeps the reading of the tone in order: the rhyme decides there.
      const QString wanted = c.rhymePosition ? QString() : PreferredReading(lines, preferred, c);
      if (!wanted.isEmpty() && spells->contains(wanted) && HasTone(wanted, c.tone)) {
        c.reading = wanted;
        c.preferred = true;
        continue;
      }
      const QString* chosen = &spells->first();
      if (c.tone != Tone::Either) {
        // The tones were counted as the readings were read: no reading's text is touched here.
        const bool level = c.tone == Tone::Level;
        const int first = level ? entry->firstLevel : entry->firstOblique;
        if (first >= 0) chosen = &(*spells)[first];
        c.byOrder = (level ? entry->levelCount : entry->obliqueCount) > 1;
        if (c.byOrder && c.rhymePosition) {
          if (!rhymesRead) {
            rhymesRead = true;
            for (const Verse& v : verses) {
              for (const MetreCharacter& r : v.characters) {
                if (!r.rhymePosition) continue;
                RhymePlace place{&r, {}};
                if (const QStringList* rs = readings->FindReadings(r.code)) {
                  for (const QString& spell : *rs) {
                    if (HasTone(spell, r.tone)) place.rhymes.append(RhymeOfReading(spell));
                  }
                }
                rhymes.append(std::move(place));
              }
            }
          }
          bool tie = false;
          if (const QString* rhyming = RhymingReading(c, *spells, rhymes, tie)) {
            chosen = rhyming;
            c.byOrder = tie;
          }
        }
      }
      c.reading = *chosen;
    }
  }
}

void SetCertainTones(QList<Verse>& verses) {
  for (Verse& verse : verses) {
    for (MetreCharacter& c : verse.characters) {
      c.tone = CertainlyLevel(c) ? Tone::Level : CertainlyOblique(c) ? Tone::Oblique : Tone::Either;
    }
  }
}

// The group that most of the given characters share (the first found on a tie), and how many
// share it; only 平 groups when `levelOnly`.
std::pair<RhymeGroup, int> CommonGroup(const QList<const MetreCharacter*>& characters,
                                       bool levelOnly) {
  QList<RhymeGroup> order;
  QHash<RhymeGroup, int> counts;
  for (const MetreCharacter* c : characters) {
    for (RhymeGroup group : c->groups) {
      if (levelOnly && !IsLevelGroup(group)) continue;
      if (!counts.contains(group)) order.append(group);
      ++counts[group];
    }
  }
  RhymeGroup best = -1;
  for (RhymeGroup group : order) {
    if (best < 0 || counts[group] > counts[best]) best = group;
  }
  return {best, best < 0 ? 0 : counts[best]};
}

// An unregulated poem: rhymes at the ends of the even 句 (and the first) in their common group.
// Verse repeats a 句 length; prose does not: the commonest length is held by fewer than half of
// the 句, or by one 句 alone.
bool IsProse(const QList<Verse>& verses) {
  QHash<qsizetype, qsizetype> byLength;
  qsizetype most = 0;
  for (const Verse& verse : verses) most = qMax(most, ++byLength[verse.characters.size()]);
  const qsizetype count = verses.size();
  return count > 1 && (most * 2 < count || most == 1);
}

void CheckIrregular(PoemCheck& check) {
  QList<const MetreCharacter*> ends;
  for (qsizetype i = 1; i < check.verses.size(); i += 2)
    ends.append(&check.verses[i].characters.back());
  const auto [group, count] = CommonGroup(ends, false);
  if (group < 0 || count * 2 < ends.size()) return;
  check.rhyme = group;
  for (qsizetype i = 0; i < check.verses.size(); ++i) {
    if (i % 2 == 0 && i != 0) continue;
    MetreCharacter& c = check.verses[i].characters.back();
    if (!c.groups.contains(group)) continue;
    c.rhymePosition = true;
    c.rhyme = group;
    c.tone = IsLevelGroup(group) ? Tone::Level : Tone::Oblique;
  }
}

class RegulatedCheck {
 public:
  RegulatedCheck(PoemCheck& check, int length, RhymeGroup rhyme, const CharacterReadings* readings)
      : check_(check), verses_(check.verses), length_(length), rhyme_(rhyme), readings_(readings) {}

  // False when the poem does not keep the regulated alternation: it is then 古體.
  bool Run() {
    const MetreCharacter& firstEnd = verses_[0].characters.back();
    firstRhymes_ =
        CertainlyLevel(firstEnd) || (firstEnd.canBeLevel && firstEnd.groups.contains(rhyme_));
    const int level = Score(true);
    const int oblique = Score(false);
    const MetreCharacter& firstHead = verses_[0].characters[1];
    headLevel_ = level != oblique ? level > oblique : !CertainlyOblique(firstHead);
    if (Share(headLevel_) < kRegulatedShare) return false;
    for (qsizetype i = 0; i < verses_.size(); ++i) effectiveHead_.append(EffectiveHead(i));
    CheckPairs();
    CheckRhymes();
    for (qsizetype i = 0; i < verses_.size(); ++i) CheckVerse(i);
    return true;
  }

 private:
  bool TemplateHead(qsizetype i, bool firstHeadLevel) const {
    return (i % 4 == 0 || i % 4 == 3) ? firstHeadLevel : !firstHeadLevel;
  }
  bool EndLevel(qsizetype i) const { return i % 2 == 1 || (i == 0 && firstRhymes_); }
  bool Expected(qsizetype i, bool head, int position) const {
    return PatternLevel(length_, head, EndLevel(i), position);
  }

  int Score(bool firstHeadLevel) const {
    int score = 0;
    for (qsizetype i = 0; i < verses_.size(); ++i) {
      for (int p : FixedPositions(length_)) {
        score += Fits(verses_[i].characters[p], Expected(i, TemplateHead(i, firstHeadLevel), p));
      }
    }
    return score;
  }

  double Share(bool firstHeadLevel) const {
    int kept = 0;
    int total = 0;
    for (qsizetype i = 0; i < verses_.size(); ++i) {
      int asTemplate = 0;
      int asOpposite = 0;
      const bool head = TemplateHead(i, firstHeadLevel);
      for (int p : FixedPositions(length_)) {
        asTemplate += Fits(verses_[i].characters[p], Expected(i, head, p));
        asOpposite += Fits(verses_[i].characters[p], Expected(i, !head, p));
        ++total;
      }
      kept += qMax(asTemplate, asOpposite);
    }
    return double(kept) / total;
  }

  // The head tone the 句 keeps: the template's, unless its fixed positions follow the opposite
  // pattern better: all that are decided, or two against one (a 句 that breaks 對 or 粘 as a
  // whole).
  // A 句 whose only place off the template is the 4th of a 平平平仄仄 core turned 平, with a 仄 3rd
  // and a 1st that may be 平, is the remedied form 平平仄平仄: it keeps the template (粘 and 對),
  // and its places of both tones take the template's tones.
  bool SwappedThirdFourth(qsizetype i, bool head) const {
    const QList<MetreCharacter>& cs = verses_[i].characters;
    const int o = length_ - 5;
    const bool coreHeadLevel = length_ == 7 ? !head : head;
    if (!coreHeadLevel || EndLevel(i) || !cs[o].canBeLevel || !cs[o + 2].canBeOblique ||
        !CertainlyLevel(cs[o + 3])) {
      return false;
    }
    for (int p : FixedPositions(length_)) {
      if (p != o + 3 && !Fits(cs[p], Expected(i, head, p))) return false;
    }
    return true;
  }

  bool EffectiveHead(qsizetype i) const {
    const bool head = TemplateHead(i, headLevel_);
    if (SwappedThirdFourth(i, head)) return head;
    int off = 0;
    int offOpposite = 0;
    for (int p : FixedPositions(length_)) {
      off += !Fits(verses_[i].characters[p], Expected(i, head, p));
      offOpposite += !Fits(verses_[i].characters[p], Expected(i, !head, p));
    }
    return (off > offOpposite && (off >= 2 || offOpposite == 0)) ? !head : head;
  }

  void Add(QList<Finding>& list, const QString& name, qsizetype verse, QList<int> positions) {
    list.append({name, static_cast<int>(verse), std::move(positions)});
  }

  // For the tail of a 句: a character of both tones that the pattern leaves free counts by its
  // first reading (literary first), so that 空悠悠 is 三平尾.
  int FirstReadingDigit(const MetreCharacter& c) const {
    if (!readings_) return 0;
    const CharacterReadings::Entry* entry = readings_->FindEntry(c.code);
    return entry ? entry->firstDigit : 0;
  }
  // The tone a character is read in: its only tone, else that of its first reading.
  Tone ReadingTone(const MetreCharacter& c) const {
    if (CertainlyLevel(c)) return Tone::Level;
    if (CertainlyOblique(c)) return Tone::Oblique;
    const int digit = FirstReadingDigit(c);
    return IsLevelToneDigit(digit)     ? Tone::Level
           : IsObliqueToneDigit(digit) ? Tone::Oblique
                                       : Tone::Either;
  }
  // The last three characters all of one tone: a character of one tone by it; one of both tones
  // by its reading, unless its place decided it otherwise (so that the pattern's choice never
  // makes a fault, and a fault never contradicts the tones shown).
  bool TailOf(const QList<MetreCharacter>& cs, Tone tone) const {
    for (int p = length_ - 3; p < length_; ++p) {
      const MetreCharacter& c = cs[p];
      if (tone == Tone::Level ? CertainlyLevel(c) : CertainlyOblique(c)) continue;
      if (c.tone != Tone::Either && c.tone != tone) return false;
      if (ReadingTone(c) != tone) return false;
    }
    return true;
  }

  // Where the last three would be of one tone, one of them of both tones that its place leaves
  // free is read in the other (一弦一柱思華年: 思 su3), so that the fault is named only where no
  // reading avoids it.
  void AvoidTail(QList<MetreCharacter>& cs, Tone tone) const {
    if (!TailOf(cs, tone)) return;
    for (int p = length_ - 3; p < length_; ++p) {
      MetreCharacter& c = cs[p];
      if (c.tone == Tone::Either && (tone == Tone::Level ? c.canBeOblique : c.canBeLevel)) {
        c.tone = tone == Tone::Level ? Tone::Oblique : Tone::Level;
        return;
      }
    }
  }

  void CheckPairs() {
    for (qsizetype i = 1; i < verses_.size(); ++i) {
      if (i % 2 == 1 && effectiveHead_[i] == effectiveHead_[i - 1]) {
        Add(check_.faults, QStringLiteral("失對"), i, {1});
      } else if (i % 2 == 0 && effectiveHead_[i] != effectiveHead_[i - 1]) {
        Add(check_.faults, QStringLiteral("失粘"), i, {1});
      }
    }
  }

  void CheckVerse(qsizetype i) {
    QList<MetreCharacter>& cs = verses_[i].characters;
    const bool head = effectiveHead_[i];
    const bool endLevel = EndLevel(i);
    const int o = length_ - 5;  // the 五言 core starts here
    const bool coreHeadLevel = length_ == 7 ? !head : head;
    QList<int> excused;

    // 平平仄平仄: in a 平平平仄仄 句 the 3rd and 4th of the core change places.
    if (coreHeadLevel && !endLevel && cs[o].canBeLevel && ReadingTone(cs[o + 2]) == Tone::Oblique &&
        ReadingTone(cs[o + 3]) == Tone::Level) {
      Add(check_.allowed, QStringLiteral("拗救（平平仄平仄）"), i, {o + 2, o + 3});
      cs[o + 2].tone = Tone::Oblique;
      cs[o + 3].tone = Tone::Level;
      excused.append(o + 3);
    }
    // 對句相救: the 4th of a 仄仄平平仄 core turned 仄, and the next 句's 3rd turned 平.
    bool answered = false;
    if (i % 2 == 0 && i + 1 < verses_.size() && !coreHeadLevel && !endLevel &&
        ReadingTone(cs[o + 3]) == Tone::Oblique) {
      MetreCharacter& answer = verses_[i + 1].characters[o + 2];
      const bool answerCoreLevel = length_ == 7 ? !effectiveHead_[i + 1] : effectiveHead_[i + 1];
      if (answerCoreLevel && answer.canBeLevel) {
        Add(check_.allowed, QStringLiteral("拗救（對句相救）"), i, {o + 3});
        Add(check_.allowed, QStringLiteral("拗救（對句相救）"), i + 1, {o + 2});
        answer.tone = Tone::Level;
        cs[o + 3].tone = Tone::Oblique;
        excused.append(o + 3);
        answered = true;
      }
    }
    for (int p : FixedPositions(length_)) {
      const bool want = PatternLevel(length_, head, endLevel, p);
      if (!Fits(cs[p], want)) {
        if (!excused.contains(p)) Add(check_.faults, QStringLiteral("犯律"), i, {p});
      } else if (cs[p].tone == Tone::Either) {
        cs[p].tone = want ? Tone::Level : Tone::Oblique;
      }
    }
    // 孤平: a 平平仄仄平 core whose 1st is 仄 keeps one 平 beside the rhyme; a 平 3rd mends it. A
    // 1st of both tones is read 平.
    if (coreHeadLevel && endLevel && cs[o].tone == Tone::Either && cs[o].canBeLevel) {
      cs[o].tone = Tone::Level;
    }
    if (coreHeadLevel && endLevel && CertainlyOblique(cs[o])) {
      if (cs[o + 2].canBeLevel) {
        Add(check_.allowed, QStringLiteral("孤平拗救"), i, {o, o + 2});
        cs[o + 2].tone = Tone::Level;
      } else {
        Add(check_.faults, QStringLiteral("孤平"), i, {o});
      }
    }
    const int last = length_ - 1;
    // A 出句 ends in 仄.
    if (!endLevel && cs[last].tone == Tone::Either && cs[last].canBeOblique) {
      cs[last].tone = Tone::Oblique;
    }
    AvoidTail(cs, Tone::Level);
    AvoidTail(cs, Tone::Oblique);
    if (TailOf(cs, Tone::Level)) {
      Add(check_.faults, QStringLiteral("三平尾"), i, {last - 2, last - 1, last});
    }
    // 仄仄仄仄仄 answered by the next 句 is the remedied form itself.
    if (!answered && TailOf(cs, Tone::Oblique)) {
      Add(check_.faults, QStringLiteral("三仄尾"), i, {last - 2, last - 1, last});
    }
  }

  void CheckRhymes() {
    for (qsizetype i = 0; i < verses_.size(); ++i) {
      if (!EndLevel(i)) continue;
      MetreCharacter& c = verses_[i].characters.back();
      c.rhymePosition = true;
      if (c.groups.contains(rhyme_)) {
        c.rhyme = rhyme_;
        c.tone = Tone::Level;
        continue;
      }
      // The table lacks it: a 平 reading may rhyme, its group is not known.
      if (c.groups.isEmpty() && c.canBeLevel) {
        c.tone = Tone::Level;
        continue;
      }
      RhymeGroup neighbour = -1;
      for (RhymeGroup group : c.groups) {
        if (AreNeighbourGroups(group, rhyme_)) neighbour = group;
      }
      if (i == 0 && neighbour >= 0) {
        c.rhyme = neighbour;
        c.tone = Tone::Level;
        Add(check_.allowed, QStringLiteral("孤雁出群"), i, {length_ - 1});
        continue;
      }
      for (RhymeGroup group : c.groups) {
        if (IsLevelGroup(group) && c.rhyme < 0) c.rhyme = group;
      }
      if (c.rhyme < 0 && !c.groups.isEmpty()) c.rhyme = c.groups.first();
      Add(check_.faults, QStringLiteral("出韻"), i, {length_ - 1});
    }
  }

  PoemCheck& check_;
  QList<Verse>& verses_;
  int length_;
  RhymeGroup rhyme_;
  const CharacterReadings* readings_;
  bool firstRhymes_ = false;
  bool headLevel_ = true;
  QList<bool> effectiveHead_;
};

}  // namespace

QChar ToneCharacter(Tone tone) {
  switch (tone) {
    case Tone::Level:
      return u'平';
    case Tone::Oblique:
      return u'仄';
    case Tone::Either:
      break;
  }
  return u'中';
}

void MetreCharacter::AppendTo(QString& text) const {
  if (QChar::requiresSurrogates(code)) {
    text += QChar(QChar::highSurrogate(code));
    text += QChar(QChar::lowSurrogate(code));
  } else {
    text += QChar(static_cast<char16_t>(code));
  }
}

QString MetreCharacter::Text() const {
  QString text;
  AppendTo(text);
  return text;
}

QString Verse::Text() const {
  QString text;
  text.reserve(characters.size() * 2);
  for (const MetreCharacter& c : characters) c.AppendTo(text);
  return text;
}

QString Verse::Tones() const {
  QString tones;
  tones.reserve(characters.size());
  for (const MetreCharacter& c : characters) tones += ToneCharacter(c.tone);
  return tones;
}

QStringList PoemCheck::FaultNames() const {
  QStringList names;
  for (const Finding& fault : faults) {
    if (!names.contains(fault.name)) names.append(fault.name);
  }
  return names;
}

PoemCheck CheckPoem(const QStringList& lines, const PingshuiTable& table,
                    const CharacterReadings* readings, const QList<QStringList>* preferred) {
  Lines split = SplitVerses(lines, table, readings);
  PoemCheck check;
  check.title = split.title;
  check.verses = std::move(split.verses);
  check.form = kIrregularForm;
  SetCertainTones(check.verses);

  const qsizetype count = check.verses.size();
  const qsizetype length = count ? check.verses[0].characters.size() : 0;
  bool even = count >= 4 && count % 2 == 0 && (length == 5 || length == 7);
  for (const Verse& verse : check.verses) even = even && verse.characters.size() == length;
  if (even) {
    QList<const MetreCharacter*> ends;
    for (qsizetype i = 1; i < count; i += 2) ends.append(&check.verses[i].characters.back());
    // The first 句's end, when it may rhyme, decides between groups the others share equally.
    QList<const MetreCharacter*> withFirst = ends;
    if (check.verses[0].characters.back().canBeLevel) {
      withFirst.insert(1, &check.verses[0].characters.back());
    }
    const RhymeGroup rhyme = CommonGroup(withFirst, true).first;
    qsizetype rhyming = 0;
    for (const MetreCharacter* end : ends) rhyming += end->groups.contains(rhyme);
    // The check changes nothing until it has found the poem regulated.
    if (rhyme >= 0 && rhyming > 0 && rhyming * 2 >= ends.size() &&
        RegulatedCheck(check, static_cast<int>(length), rhyme, readings).Run()) {
      check.rhyme = rhyme;
      check.form = FormName(static_cast<int>(length), count);
      ChooseReadings(check.verses, readings, lines, preferred);
      return check;
    }
  }
  if (IsProse(check.verses)) {
    check.form = kProseForm;
  } else {
    CheckIrregular(check);
  }
  ChooseReadings(check.verses, readings, lines, preferred);
  return check;
}

void PoemShape::AddLine(const QString& line) {
  ++lines_;
  qsizetype length = 0;
  const auto character = [&length](char32_t, qsizetype) { ++length; };
  const auto finish = [&] {
    if (length == 0) return;
    if (verses_ < 2) {
      firstLines_[verses_] = lines_;
      firstLengths_[verses_] = length;
    }
    if (verses_ > 0 && length != firstLengths_[0]) sameFromFirst_ = false;
    if (verses_ > 1 && length != firstLengths_[1]) sameFromSecond_ = false;
    ++verses_;
    length = 0;
  };
  const bool hasEnd = WalkVerseLine(line, note_, character, finish);
  if (lines_ == firstLines_[0] && hasEnd) firstLineHasEnd_ = true;
  punctuated_ = punctuated_ || hasEnd;
}

qsizetype PoemShape::RegulatedVerses() const {
  if (lines_ > kLongestPoemLines) return -1;
  if (verses_ < 2) return verses_;  // a single 句 may still be a title
  const bool title =
      IsTitle(firstLines_[0], firstLineHasEnd_, firstLengths_[0], firstLines_[1], firstLengths_[1]);
  const qsizetype length = firstLengths_[title ? 1 : 0];
  if (length != 5 && length != 7) return -1;
  if (!(title ? sameFromSecond_ : sameFromFirst_)) return -1;
  return title ? verses_ - 1 : verses_;
}

bool PoemShape::MayStart() const {
  return RegulatedVerses() >= 0;
}

bool PoemShape::MayBe() const {
  const qsizetype verses = RegulatedVerses();
  return verses >= 4 && verses % 2 == 0;
}

bool IsTitleLike(const QString& line) {
  int note = 0;
  qsizetype characters = 0;
  const bool hasEnd = WalkVerseLine(
      line, note, [&characters](char32_t, qsizetype) { ++characters; }, [] {});
  return !hasEnd && characters > 0 && characters <= kLongestTitle;
}

bool MayStartRegulatedPoem(const QStringList& lines) {
  PoemShape shape;
  for (const QString& line : lines) shape.AddLine(line);
  return shape.MayStart();
}

bool MayBeRegulatedPoem(const QStringList& lines) {
  PoemShape shape;
  for (const QString& line : lines) shape.AddLine(line);
  return shape.MayBe();
}

}  // namespace ravlek::metre
