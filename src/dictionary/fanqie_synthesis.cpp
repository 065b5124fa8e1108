#include "dictionary/fanqie_synthesis.h"

#include <algorithm>
#include <optional>

#include "dictionary/tailo_syllable.h"

namespace ravlek {

namespace {

enum class ToneCategory { Ping, Shang, Qu, Ru };

// 陰 for a voiceless initial; 陽 split into fully voiced (全濁) and sonorant (次濁), since the two
// part ways in the rising tone.
enum class Register { Yin, FullyVoiced, Sonorant };

QString CategoryName(ToneCategory category) {
  switch (category) {
    case ToneCategory::Ping:
      return QStringLiteral("平");
    case ToneCategory::Shang:
      return QStringLiteral("上");
    case ToneCategory::Qu:
      return QStringLiteral("去");
    case ToneCategory::Ru:
      return QStringLiteral("入");
  }
  return QString();
}

QString ToneName(int tone) {
  switch (tone) {
    case 1:
      return QStringLiteral("陰平");
    case 2:
      return QStringLiteral("上聲");
    case 3:
      return QStringLiteral("陰去");
    case 4:
      return QStringLiteral("陰入");
    case 5:
      return QStringLiteral("陽平");
    case 7:
      return QStringLiteral("陽去");
    case 8:
      return QStringLiteral("陽入");
  }
  return QString();
}

std::optional<ToneCategory> CategoryFromRhyme(const QString& poemRhyme) {
  if (poemRhyme.startsWith(u"上平") || poemRhyme.startsWith(u"下平")) return ToneCategory::Ping;
  if (poemRhyme.startsWith(u"上聲")) return ToneCategory::Shang;
  if (poemRhyme.startsWith(u"去聲")) return ToneCategory::Qu;
  if (poemRhyme.startsWith(u"入聲")) return ToneCategory::Ru;
  return std::nullopt;
}

ToneCategory CategoryFromTone(int tone) {
  switch (tone) {
    case 2:
    case 6:
      return ToneCategory::Shang;
    case 3:
    case 7:
      return ToneCategory::Qu;
    case 4:
    case 8:
      return ToneCategory::Ru;
    default:
      return ToneCategory::Ping;
  }
}

// The lower character's tone category: a stop final is always entering; otherwise its Pingshui
// rhyme where the dictionary gives one, else its tone digit.
ToneCategory LowerCategory(const TailoSyllable& lower, const QString& poemRhyme) {
  if (lower.Checked()) return ToneCategory::Ru;
  if (const auto fromRhyme = CategoryFromRhyme(poemRhyme);
      fromRhyme && *fromRhyme != ToneCategory::Ru) {
    return *fromRhyme;
  }
  return CategoryFromTone(lower.tone);
}

bool IsSonorantInitial(const QString& initial) {
  return initial == u"b" || initial == u"l" || initial == u"g" || initial == u"m" ||
         initial == u"n" || initial == u"ng" || initial == u"j";
}

struct RegisterChoice {
  Register value;
  QString source;  // what the explanation names: "全清", or the upper reading with 陰/陽
};

RegisterChoice UpperRegister(const TailoSyllable& upper, const QString& initialType) {
  if (initialType.contains(u"全濁")) return {Register::FullyVoiced, initialType};
  if (initialType.contains(u"次濁")) return {Register::Sonorant, initialType};
  if (initialType.contains(u"清")) return {Register::Yin, initialType};
  // No initial class: the upper reading's own tone tells the register. A rising tone has no
  // register of its own; a sonorant initial is voiced there.
  const QString reading = upper.Text();
  const bool sonorant = IsSonorantInitial(upper.initial) || upper.initial.isEmpty();
  switch (upper.tone) {
    case 5:
    case 7:
    case 8:
      return {sonorant ? Register::Sonorant : Register::FullyVoiced,
              reading + QStringLiteral(" 陽")};
    case 2:
      if (IsSonorantInitial(upper.initial))
        return {Register::Sonorant, reading + QStringLiteral(" 陽")};
      return {Register::Yin, reading + QStringLiteral(" 陰")};
    default:
      return {Register::Yin, reading + QStringLiteral(" 陰")};
  }
}

int ToneOf(ToneCategory category, Register reg) {
  const bool yin = reg == Register::Yin;
  switch (category) {
    case ToneCategory::Ping:
      return yin ? 1 : 5;
    case ToneCategory::Shang:
      // Southern Min keeps one rising tone; a fully voiced rising syllable went to 陽去.
      return reg == Register::FullyVoiced ? 7 : 2;
    case ToneCategory::Qu:
      return yin ? 3 : 7;
    case ToneCategory::Ru:
      return yin ? 4 : 8;
  }
  return 0;
}

QString OralPartner(const QString& nasal) {
  if (nasal == u"m") return QStringLiteral("b");
  if (nasal == u"n") return QStringLiteral("l");
  if (nasal == u"ng") return QStringLiteral("g");
  return QString();
}

QString NasalPartner(const QString& oral) {
  if (oral == u"b") return QStringLiteral("m");
  if (oral == u"l") return QStringLiteral("n");
  if (oral == u"g") return QStringLiteral("ng");
  return QString();
}

bool HasNasalVowel(const QString& final) {
  return final.contains(u"nn");
}

// A final of vowels alone (a glottal stop allowed), where b/l/g and m/n/ng both occur.
bool IsOpenFinal(const QString& final) {
  for (const QChar c : final) {
    if (c != u'a' && c != u'e' && c != u'i' && c != u'o' && c != u'u' && c != u'h') return false;
  }
  return !final.isEmpty();
}

struct Onset {
  QString initial;
  QString final;
  QString note;  // empty when nothing changed
};

// The literary layer pairs b/l/g with oral finals and m/n/ng with nasal vowels: a nasal vowel
// after b/l/g makes m/n/ng (its nasality then goes unwritten), a nasal or stop coda after m/n/ng
// makes b/l/g. Before a plain vowel either may stand: the upper's own initial first.
QList<Onset> Onsets(const QString& initial, const QString& final) {
  if (const QString nasal = NasalPartner(initial); !nasal.isEmpty()) {
    if (HasNasalVowel(final)) {
      QString oralFinal = final;
      oralFinal.remove(QStringLiteral("nn"));
      return {{nasal, oralFinal, initial + u'→' + nasal + QStringLiteral(" (鼻化韻)")}};
    }
    if (IsOpenFinal(final))
      return {{initial, final, QString()}, {nasal, final, initial + u'→' + nasal}};
    return {{initial, final, QString()}};
  }
  if (const QString oral = OralPartner(initial); !oral.isEmpty()) {
    if (HasNasalVowel(final)) {
      QString oralFinal = final;
      oralFinal.remove(QStringLiteral("nn"));
      return {{initial, oralFinal, QString()}};
    }
    if (IsOpenFinal(final))
      return {{initial, final, QString()}, {oral, final, initial + u'→' + oral}};
    return {{oral, final, initial + u'→' + oral + QStringLiteral(" (非鼻化韻)")}};
  }
  return {{initial, final, QString()}};
}

QString Aspirated(const QString& initial) {
  if (initial == u"p" || initial == u"t" || initial == u"k" || initial == u"ts")
    return initial + u'h';
  return QString();
}

QString Unaspirated(const QString& initial) {
  if (initial == u"ph" || initial == u"th" || initial == u"kh" || initial == u"tsh")
    return initial.chopped(1);
  return QString();
}

bool IsLabial(const QString& initial) {
  return initial == u"p" || initial == u"ph" || initial == u"b" || initial == u"m";
}

bool IsThirdDivision(const QString& division) {
  return division.contains(u'三');
}

// An initial and a final before tone and nasality, with the steps that made them.
struct Sound {
  QString initial;
  QString final;
  QStringList notes;
  int penalty = 0;  // 0 for the regular outcome, more for a less usual one
};

// The initial as the upper character's class has it. 全清 stops and affricates are unaspirated
// and 次清 ones aspirated in the literary layer; 全濁 ones went either way.
QList<Sound> ByInitialClass(const TailoSyllable& up, const QString& initialType,
                            const QString& final) {
  const QString& initial = up.initial;
  if (initialType.contains(u"全清")) {
    if (const QString plain = Unaspirated(initial); !plain.isEmpty())
      return {{plain, final, {initial + u'→' + plain + QStringLiteral(" (全清不送氣)")}}};
  } else if (initialType.contains(u"次清")) {
    if (const QString aspirated = Aspirated(initial); !aspirated.isEmpty())
      return {{aspirated, final, {initial + u'→' + aspirated + QStringLiteral(" (次清送氣)")}}};
  } else if (initialType.contains(u"全濁")) {
    if (const QString aspirated = Aspirated(initial); !aspirated.isEmpty())
      return {{initial, final, {}},
              {aspirated, final, {initial + u'→' + aspirated + QStringLiteral(" (全濁送氣)")}, 1}};
    if (const QString plain = Unaspirated(initial); !plain.isEmpty())
      return {{initial, final, {}},
              {plain, final, {initial + u'→' + plain + QStringLiteral(" (全濁不送氣)")}, 1}};
  }
  return {{initial, final, {}}};
}

// Labiodentals (輕唇) of the third division read h- in the literary layer, and lost the medial
// i (方 hong, 福 hok); the same upper characters also spell bilabial words of open front finals
// (重唇 p-, as 卑 pi). An upper with a labial or h- initial before a rounded vowel, of the third
// division, is taken as such a labial, unless it rhymes in 魚 (an open rhyme, where no labial
// became labiodental: its h- is a velar fricative, as in 許).
bool IsLabiodentalUpper(const TailoSyllable& up, const LiteraryReading& reading) {
  const bool labialLike = up.initial == u"h" || up.initial == u"p" || up.initial == u"ph";
  const bool rounded = up.final.startsWith(u'u') || up.final.startsWith(u'o');
  const QString& rhyme = reading.poemRhyme;
  const bool yuRhyme =
      rhyme.endsWith(u"六魚") || rhyme.endsWith(u"六語") || rhyme.endsWith(u"六御");
  return labialLike && rounded && IsThirdDivision(reading.division) && !yuRhyme;
}

void ApplyLabiodental(Sound& sound, const QString& initialType) {
  const QString before = sound.initial;
  if (sound.final.startsWith(u"io")) {
    sound.initial = QStringLiteral("h");
    sound.final = sound.final.mid(1);
    sound.notes << QStringLiteral("輕唇 h-, -i- 脫落");
    return;
  }
  if (sound.final.startsWith(u'i')) {
    const bool aspirated = initialType.contains(u"次清") || before == u"ph";
    sound.initial = aspirated ? QStringLiteral("ph") : QStringLiteral("p");
    if (sound.initial != before)
      sound.notes << before + u'→' + sound.initial + QStringLiteral(" (重唇)");
    return;
  }
  if (before != u"h") {
    sound.initial = QStringLiteral("h");
    sound.notes << before + QStringLiteral("→h (輕唇)");
  }
}

// A third-division lower character with a labial or h- initial lost its medial i after the
// labiodental (封 hong); after any other initial the medial stands (容 iong).
void RestoreMedial(Sound& sound, const TailoSyllable& low, const QString& lowerDivision) {
  const bool labialLower = IsLabial(low.initial) || low.initial == u"h";
  if (!labialLower || !IsThirdDivision(lowerDivision) || IsLabial(sound.initial)) return;
  if (sound.final == u"ong" || sound.final == u"ok") {
    sound.final.prepend(u'i');
    sound.notes << QStringLiteral("三等 -") + sound.final;
  }
}

struct Ranked {
  FanqieCandidate candidate;
  int rank;
};

}  // namespace

QList<FanqieCandidate> SynthesizeFanqie(const QString& upper,
                                        const QList<LiteraryReading>& upperReadings,
                                        const QString& lower,
                                        const QList<LiteraryReading>& lowerReadings) {
  std::vector<Ranked> ranked;
  for (qsizetype i = 0; i < upperReadings.size(); ++i) {
    const LiteraryReading& upperReading = upperReadings[i];
    const auto up = SplitTailoSyllable(upperReading.spell);
    if (!up) continue;
    const RegisterChoice reg = UpperRegister(*up, upperReading.initialType);
    const bool labiodental = IsLabiodentalUpper(*up, upperReading);
    for (qsizetype j = 0; j < lowerReadings.size(); ++j) {
      const auto low = SplitTailoSyllable(lowerReadings[j].spell);
      if (!low) continue;
      const ToneCategory category = LowerCategory(*low, lowerReadings[j].poemRhyme);
      const int tone = ToneOf(category, reg.value);
      QString toneStep = upper + u' ' + reg.source + QStringLiteral(" → ");
      if (category == ToneCategory::Shang && reg.value == Register::FullyVoiced)
        toneStep += QStringLiteral("全濁上歸");
      toneStep += ToneName(tone) + u' ' + QString::number(tone);
      const QString head = upper + u' ' +
                           (up->initial.isEmpty() ? QStringLiteral("∅") : up->initial) +
                           QStringLiteral("- · ") + lower + QStringLiteral(" -") + low->final +
                           u' ' + CategoryName(category) + QStringLiteral(" · ") + toneStep;
      for (Sound sound : ByInitialClass(*up, upperReading.initialType, low->final)) {
        if (labiodental) ApplyLabiodental(sound, upperReading.initialType);
        RestoreMedial(sound, *low, lowerReadings[j].division);
        const QList<Onset> onsets = Onsets(sound.initial, sound.final);
        for (qsizetype v = 0; v < onsets.size(); ++v) {
          const Onset& onset = onsets[v];
          const QString reading = onset.initial + onset.final + QString::number(tone);
          QString steps = head;
          QStringList notes = sound.notes;
          if (!onset.note.isEmpty()) notes << onset.note;
          for (const QString& note : notes) steps += QStringLiteral(" · ") + note;
          steps += QStringLiteral(" ⇒ ") + reading;
          ranked.push_back({{reading, steps}, static_cast<int>(i + j + 2 * v + 2 * sound.penalty)});
        }
      }
    }
  }
  std::stable_sort(ranked.begin(), ranked.end(),
                   [](const Ranked& a, const Ranked& b) { return a.rank < b.rank; });
  QList<FanqieCandidate> candidates;
  for (const Ranked& r : ranked) {
    const bool seen = std::any_of(candidates.begin(), candidates.end(),
                                  [&](const auto& c) { return c.reading == r.candidate.reading; });
    if (!seen) candidates.push_back(r.candidate);
  }
  return candidates;
}

}  // namespace ravlek
