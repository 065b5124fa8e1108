#include "dictionary/fanqie_synthesis.h"

#include <QStringList>
#include <algorithm>
#include <initializer_list>
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
// makes b/l/g. Before a plain vowel either may stand: b/l/g first, the literary layer's usual
// form (鵝 go, 衙 ga).
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
      return {{oral, final, initial + u'→' + oral}, {initial, final, QString()}};
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

// The Pingshui rhyme groups by their names in all tones (支紙寘 is the 止 rhymes 支脂之).
bool InRhymeGroup(const QString& rhyme, std::initializer_list<const char16_t*> names) {
  for (const char16_t* name : names) {
    if (rhyme.endsWith(QStringView(name))) return true;
  }
  return false;
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
    // Fully voiced sibilants (崇, 船, 常) split between the fricative and the affricates.
    if (initial == u"s") {
      return {{initial, final, {}},
              {QStringLiteral("ts"), final, {QStringLiteral("s→ts (全濁塞擦)")}, 1},
              {QStringLiteral("tsh"), final, {QStringLiteral("s→tsh (全濁塞擦)")}, 2}};
    }
    if (initial == u"ts" || initial == u"tsh") {
      const QString other = initial == u"ts" ? QStringLiteral("tsh") : QStringLiteral("ts");
      return {{initial, final, {}},
              {other, final, {initial + u'→' + other + QStringLiteral(" (全濁送氣)")}, 1},
              {QStringLiteral("s"), final, {initial + QStringLiteral("→s (全濁擦音)")}, 2}};
    }
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

void ApplyLabiodental(Sound& sound, const QString& initialType, const QString& lowerRhyme) {
  const QString before = sound.initial;
  if (sound.final.startsWith(u"io")) {
    sound.initial = QStringLiteral("h");
    sound.final = sound.final.mid(1);
    sound.notes << QStringLiteral("輕唇 h-, -i- 脫落");
    return;
  }
  // 微 rhymes are rounded: their labials all became labiodental (非 hui), read -i after a
  // bilabial lower (微 bi).
  if (sound.final == u"i" && InRhymeGroup(lowerRhyme, {u"五微", u"五尾", u"五未"})) {
    sound.initial = QStringLiteral("h");
    sound.final = QStringLiteral("ui");
    sound.notes << QStringLiteral("輕唇 h-, 微韻 -ui");
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

bool IsDentalOrSibilant(const QString& initial) {
  return initial == u"t" || initial == u"th" || initial == u"n" || initial == u"l" ||
         initial == u"ts" || initial == u"tsh" || initial == u"s" || initial == u"j";
}

bool IsSibilant(const QString& initial) {
  return initial == u"ts" || initial == u"tsh" || initial == u"s";
}

// The coda that a Pingshui rhyme requires: 'n' (-n, -t), 'm' (-m, -p), 'g' (-ng, -k), or 0 for
// a rhyme without a nasal coda or an unknown one.
char RhymeCoda(const QString& rhyme) {
  static const char16_t* const kN[] = {
      u"上平十一真", u"上平十二文", u"上平十三元", u"上平十四寒", u"上平十五删", u"下平一先",
      u"上聲十一軫", u"上聲十二吻", u"上聲十三阮", u"上聲十四旱", u"上聲十五潸", u"上聲十六銑",
      u"去聲十二震", u"去聲十三問", u"去聲十四願", u"去聲十五翰", u"去聲十六諫", u"去聲十七霰",
      u"入聲四質",   u"入聲五物",   u"入聲六月",   u"入聲七曷",   u"入聲八黠",   u"入聲九屑"};
  static const char16_t* const kM[] = {
      u"下平十二侵",   u"下平十三覃",   u"下平十四鹽",   u"下平十五咸",
      u"上聲二十六寢", u"上聲二十七感", u"上聲二十八琰", u"上聲二十九豏",
      u"去聲二十七沁", u"去聲二十八勘", u"去聲二十九豔", u"去聲三十陷",
      u"入聲十四緝",   u"入聲十五合",   u"入聲十六葉",   u"入聲十七洽"};
  static const char16_t* const kNg[] = {
      u"上平一東",     u"上平二冬",  u"上平三江", u"下平七陽", u"下平八庚",     u"下平九青",
      u"下平十蒸",     u"上聲一董",  u"上聲二腫", u"上聲三講", u"上聲二十二養", u"上聲二十三梗",
      u"上聲二十四迥", u"去聲一送",  u"去聲二宋", u"去聲三絳", u"去聲二十三漾", u"去聲二十四敬",
      u"去聲二十五徑", u"入聲一屋",  u"入聲二沃", u"入聲三覺", u"入聲十藥",     u"入聲十一陌",
      u"入聲十二錫",   u"入聲十三職"};
  auto in = [&](const auto& names) {
    for (const char16_t* name : names) {
      if (rhyme.startsWith(QStringView(name))) return true;
    }
    return false;
  };
  if (in(kN)) return 'n';
  if (in(kM)) return 'm';
  if (in(kNg)) return 'g';
  return 0;
}

// The final with the coda its rhyme requires: a lower character read with another nasal or stop
// coda than its rhyme has (忍 jim in a -n rhyme) gives the rhyme's coda.
bool AlignCoda(QString& final, char coda) {
  struct Pair {
    const char16_t* nasal;
    const char16_t* stop;
  };
  const Pair pairs[] = {{u"n", u"t"}, {u"m", u"p"}, {u"ng", u"k"}};
  const Pair* wanted = coda == 'n'   ? &pairs[0]
                       : coda == 'm' ? &pairs[1]
                       : coda == 'g' ? &pairs[2]
                                     : nullptr;
  if (!wanted) return false;
  for (const Pair& pair : pairs) {
    if (&pair == wanted) continue;
    for (const bool stop : {false, true}) {
      const QStringView from(stop ? pair.stop : pair.nasal);
      const QStringView to(stop ? wanted->stop : wanted->nasal);
      // -ng must not be taken for -n, nor -nn for a coda.
      if (final.endsWith(from) && !(from == u"n" && final.endsWith(u"nn")) &&
          !(pair.nasal == QStringView(u"n") && !stop && final.endsWith(u"ng")) &&
          final.size() > from.size()) {
        final.chop(from.size());
        final += to;
        return true;
      }
    }
  }
  return false;
}

// Finals that the literary layer reads differently from the lower character's own reading,
// depending on the initial: the first of the list is the more usual one.
void AddFinalVariants(QList<Sound>& sounds, const TailoSyllable& up,
                      const LiteraryReading& upperReading, const TailoSyllable& low,
                      const LiteraryReading& lowerReading) {
  QList<Sound> result;
  for (const Sound& sound : std::as_const(sounds)) {
    auto variant = [&](const QString& final, const QString& note, bool first) {
      Sound other = sound;
      other.final = final;
      other.notes << note;
      if (first) {
        Sound plain = sound;
        plain.penalty += 1;
        result << other << plain;
      } else {
        other.penalty += 1;
        result << sound << other;
      }
    };
    const QString& rhyme = lowerReading.poemRhyme;
    // 止 rhymes after dental sibilants (精, 莊) read the apical -u (資 tsu, 師 su); after the
    // palatals (章) -i. An upper that itself reads -u in these rhymes is a dental sibilant.
    if (IsSibilant(sound.initial) && sound.final == u"i" &&
        InRhymeGroup(rhyme, {u"四支", u"四紙", u"四寘"})) {
      const bool apicalUpper =
          up.final == u"u" && InRhymeGroup(upperReading.poemRhyme, {u"四支", u"四紙", u"四寘"});
      variant(QStringLiteral("u"), QStringLiteral("止攝齒頭 -u"), apicalUpper);
      continue;
    }
    // 江 rhymes: -ang/-ak after velars and labials, -ong/-ok after dentals and sibilants.
    if (IsDentalOrSibilant(sound.initial) && (sound.final == u"ang" || sound.final == u"ak") &&
        InRhymeGroup(rhyme, {u"三江", u"三講", u"三絳", u"三覺"})) {
      variant(sound.final == u"ang" ? QStringLiteral("ong") : QStringLiteral("ok"),
              QStringLiteral("江韻舌齒 -o-"), true);
      continue;
    }
    // 灰 rhymes read -ue, many words -ui (after dentals most of them); either way round.
    if ((sound.final == u"ue" || sound.final == u"ui") &&
        InRhymeGroup(rhyme, {u"十灰", u"十賄", u"十一隊"})) {
      const bool toUi = sound.final == u"ue";
      variant(toUi ? QStringLiteral("ui") : QStringLiteral("ue"),
              toUi ? QStringLiteral("灰韻 -ui") : QStringLiteral("灰韻 -ue"),
              toUi && IsDentalOrSibilant(sound.initial));
      continue;
    }
    // 通 rhymes (東冬 and their entering 屋沃) have a rounded vowel: -ong, -ok.
    if ((sound.final == u"ang" || sound.final == u"ak") &&
        InRhymeGroup(rhyme,
                     {u"一東", u"二冬", u"一董", u"二腫", u"一送", u"二宋", u"一屋", u"二沃"})) {
      variant(sound.final == u"ang" ? QStringLiteral("ong") : QStringLiteral("ok"),
              QStringLiteral("通攝 -o-"), true);
      continue;
    }
    // 齊 rhymes read -e, some words -i.
    if (sound.final == u"e" && InRhymeGroup(rhyme, {u"八齊", u"八薺", u"八霽"})) {
      variant(QStringLiteral("i"), QStringLiteral("齊韻 -i"), false);
      continue;
    }
    // After dentals and sibilants the entering -it and -ik interchange (直 tit, 質 tsit).
    if (IsDentalOrSibilant(sound.initial) && (sound.final == u"it" || sound.final == u"ik")) {
      variant(sound.final == u"it" ? QStringLiteral("ik") : QStringLiteral("it"),
              QStringLiteral("-it/-ik"), false);
      continue;
    }
    // Retroflex stops (知組) of the third division kept t-/th- in the literary layer, some words
    // palatalised to ts-/tsh- before i.
    if ((sound.initial == u"t" || sound.initial == u"th") && sound.final.startsWith(u'i') &&
        IsThirdDivision(lowerReading.division)) {
      Sound other = sound;
      other.initial = sound.initial == u"t" ? QStringLiteral("ts") : QStringLiteral("tsh");
      other.notes << sound.initial + u'→' + other.initial + QStringLiteral(" (知組三等)");
      other.penalty += 1;
      result << sound << other;
      continue;
    }
    // The zero initial of 以 before -u often reads j- in the literary layer (愉 ju).
    if (sound.initial.isEmpty() && sound.final == u"u" &&
        upperReading.initialType.contains(u"次濁")) {
      Sound other = sound;
      other.initial = QStringLiteral("j");
      other.notes << QStringLiteral("∅→j (以母 -u)");
      other.penalty += 1;
      result << sound << other;
      continue;
    }
    // A rounded third-division rhyme lost its -u- after a zero initial (緣 ian); after a
    // consonant it may stand (全 tsuan).
    if (low.initial.isEmpty() && !sound.initial.isEmpty() &&
        (sound.final == u"ian" || sound.final == u"iat")) {
      variant(sound.final == u"ian" ? QStringLiteral("uan") : QStringLiteral("uat"),
              QStringLiteral("合口 -u-"), false);
      continue;
    }
    result << sound;
  }
  sounds = result;
}

// The order in which a character's readings are tried: those that the dictionary ties to a
// 廣韻 entry (it gives their initial class) first, each group in row order.
QList<int> ReadingRanks(const QList<LiteraryReading>& readings) {
  QList<int> ranks(readings.size());
  int next = 0;
  for (const bool tied : {true, false}) {
    for (qsizetype i = 0; i < readings.size(); ++i) {
      if (readings[i].initialType.isEmpty() != tied) ranks[i] = next++;
    }
  }
  return ranks;
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
  const QList<int> upperRanks = ReadingRanks(upperReadings);
  const QList<int> lowerRanks = ReadingRanks(lowerReadings);
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
      QList<Sound> sounds = ByInitialClass(*up, upperReading.initialType, low->final);
      for (Sound& sound : sounds) {
        if (labiodental)
          ApplyLabiodental(sound, upperReading.initialType, lowerReadings[j].poemRhyme);
        else
          RestoreMedial(sound, *low, lowerReadings[j].division);
      }
      if (const char coda = RhymeCoda(lowerReadings[j].poemRhyme); coda) {
        for (Sound& sound : sounds) {
          if (AlignCoda(sound.final, coda))
            sound.notes << QStringLiteral("韻尾從韻 -") + sound.final;
        }
      }
      AddFinalVariants(sounds, *up, upperReading, *low, lowerReadings[j]);
      // A fully voiced rising syllable went to 陽去, but literary readings often kept it rising.
      QList<std::pair<int, QString>> tones = {{tone, head}};
      if (category == ToneCategory::Shang && reg.value == Register::FullyVoiced) {
        QString rising = head;
        rising.truncate(rising.lastIndexOf(QStringLiteral(" → ")));
        tones.push_back({2, rising + QStringLiteral(" → 全濁上讀上聲 2")});
      }
      for (qsizetype t = 0; t < tones.size(); ++t) {
        for (const Sound& sound : std::as_const(sounds)) {
          const QList<Onset> onsets = Onsets(sound.initial, sound.final);
          for (qsizetype v = 0; v < onsets.size(); ++v) {
            const Onset& onset = onsets[v];
            const QString reading = onset.initial + onset.final + QString::number(tones[t].first);
            QString steps = tones[t].second;
            QStringList notes = sound.notes;
            if (!onset.note.isEmpty()) notes << onset.note;
            for (const QString& note : notes) steps += QStringLiteral(" · ") + note;
            steps += QStringLiteral(" ⇒ ") + reading;
            ranked.push_back({{reading, steps},
                              static_cast<int>(upperRanks[i] + lowerRanks[j] + 2 * v +
                                               2 * sound.penalty + 2 * t)});
          }
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
