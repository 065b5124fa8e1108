#include "dictionary/tailo.h"

namespace ravlek {

namespace {

constexpr char16_t kPojDotAboveRight = 0x0358;  // the dot of POJ o͘
constexpr char16_t kSuperscriptN = 0x207F;      // POJ ⁿ, Tâi-lô nn

// Tone digit of a combining tone mark, 0 for any other character.
int ToneOfMark(char16_t mark) {
  switch (mark) {
    case 0x0301:
      return 2;
    case 0x0300:
      return 3;
    case 0x0302:
      return 5;
    case 0x030C:
      return 6;
    case 0x0304:
      return 7;
    case 0x030D:
      return 8;
    case 0x030B:
      return 9;
    default:
      return 0;
  }
}

char16_t MarkOfTone(int tone) {
  switch (tone) {
    case 2:
      return 0x0301;
    case 3:
      return 0x0300;
    case 5:
      return 0x0302;
    case 6:
      return 0x030C;
    case 7:
      return 0x0304;
    case 8:
      return 0x030D;
    case 9:
      return 0x030B;
    default:
      return 0;
  }
}

bool IsAsciiLetter(QChar c) {
  return (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z');
}
bool IsCombiningMark(QChar c) {
  return c.unicode() >= 0x0300 && c.unicode() <= 0x036F;
}
// A Latin letter that may carry a precomposed diacritic.
bool IsPrecomposedLatin(QChar c) {
  const char16_t u = c.unicode();
  return (u >= 0x00C0 && u <= 0x024F) || (u >= 0x1E00 && u <= 0x1EFF);
}
bool IsSyllableUnit(QChar c) {
  return IsAsciiLetter(c) || IsCombiningMark(c) || IsPrecomposedLatin(c) ||
         c.unicode() == kSuperscriptN;
}

// `lower` written in the case of `model`.
QChar InCaseOf(char16_t lower, QChar model) {
  return model.isUpper() ? QChar(lower).toUpper() : QChar(lower);
}

// The POJ spellings of one syllable's letters (marks already taken off) in Tâi-lô.
QString PojToTaiLo(const QString& letters, bool& changed) {
  const QString lower = letters.toLower();
  const qsizetype n = letters.size();
  QString out;
  out.reserve(n + 2);
  for (qsizetype i = 0; i < n;) {
    const QStringView rest = QStringView(lower).mid(i);
    if (rest.startsWith(u"chh")) {
      out += InCaseOf(u't', letters[i]);
      out += InCaseOf(u's', letters[i + 1]);
      out += letters[i + 2];
      i += 3;
    } else if (rest.startsWith(u"ch")) {
      out += InCaseOf(u't', letters[i]);
      out += InCaseOf(u's', letters[i + 1]);
      i += 2;
    } else if (rest.startsWith(u"oa") || rest.startsWith(u"oe")) {
      out += InCaseOf(u'u', letters[i]);
      out += letters[i + 1];
      i += 2;
    } else if (rest == u"eng" || rest == u"ek") {
      // Finals only: the syllable ends here.
      out += InCaseOf(u'i', letters[i]);
      out += letters.mid(i + 1);
      i = n;
    } else {
      out += letters[i];
      ++i;
      continue;
    }
    changed = true;
  }
  return out;
}

// One syllable (a run of syllable units) in numeric Tâi-lô; `tone` receives its mark's digit.
QString NumericSyllable(QStringView syllable, int& tone, bool& changed) {
  const QString decomposed = syllable.toString().normalized(QString::NormalizationForm_D);
  QString letters;
  tone = 0;
  for (const QChar c : decomposed) {
    if (const int markTone = ToneOfMark(c.unicode()); markTone != 0) {
      if (tone == 0) tone = markTone;
      changed = true;
    } else if (c.unicode() == kPojDotAboveRight) {
      // o͘ is oo; the dot may stand after a tone mark of the same o.
      const qsizetype last = letters.size() - 1;
      if (last >= 0 && letters[last].toLower() == u'o') letters += letters[last];
      changed = true;
    } else if (c.unicode() == kSuperscriptN) {
      letters += QStringLiteral("nn");
      changed = true;
    } else {
      letters += c;
    }
  }
  return PojToTaiLo(letters, changed).normalized(QString::NormalizationForm_C);
}

}  // namespace

QString NumericTaiLo(const QString& text) {
  QString out;
  out.reserve(text.size() + 4);
  for (qsizetype pos = 0; pos < text.size();) {
    if (!IsSyllableUnit(text[pos])) {
      out += text[pos++];
      continue;
    }
    qsizetype end = pos;
    while (end < text.size() && IsSyllableUnit(text[end])) ++end;
    const QStringView syllable = QStringView(text).mid(pos, end - pos);
    int tone = 0;
    bool changed = false;
    const QString numeric = NumericSyllable(syllable, tone, changed);
    if (!changed) {
      out += syllable;  // exactly as typed
    } else {
      out += numeric;
      const bool digitFollows = end < text.size() && text[end].isDigit();
      if (tone != 0 && !digitFollows) out += QChar(u'0' + tone);
    }
    pos = end;
  }
  return out;
}

namespace {

// Where Tâi-lô puts the tone mark in a syllable of ASCII letters; -1 when it has no vowel.
qsizetype MarkedLetter(const QString& letters) {
  const QString lower = letters.toLower();
  if (const qsizetype a = lower.indexOf(u'a'); a >= 0) return a;
  const qsizetype o = lower.indexOf(u'o');
  const qsizetype e = lower.indexOf(u'e');
  if (o >= 0 || e >= 0) return (o >= 0 && (e < 0 || o < e)) ? o : e;
  const qsizetype i = lower.lastIndexOf(u'i');
  const qsizetype u = lower.lastIndexOf(u'u');
  if (i >= 0 || u >= 0) return qMax(i, u);
  if (const qsizetype m = lower.indexOf(u'm'); m >= 0) return m;
  return lower.indexOf(QStringLiteral("ng"));
}

}  // namespace

QString ToneMarkedTaiLo(const QString& text) {
  QString out;
  out.reserve(text.size());
  for (qsizetype pos = 0; pos < text.size();) {
    if (!IsAsciiLetter(text[pos])) {
      out += text[pos++];
      continue;
    }
    qsizetype end = pos;
    while (end < text.size() && IsAsciiLetter(text[end])) ++end;
    const QString letters = text.mid(pos, end - pos);
    const bool hasTone = end < text.size() && text[end] >= u'1' && text[end] <= u'9';
    const qsizetype marked = hasTone ? MarkedLetter(letters) : -1;
    if (!hasTone || marked < 0) {
      out += letters;
      pos = end;
      continue;
    }
    const int tone = text[end].unicode() - u'0';
    QString syllable = letters;
    if (const char16_t mark = MarkOfTone(tone); mark != 0) syllable.insert(marked + 1, QChar(mark));
    out += syllable.normalized(QString::NormalizationForm_C);
    pos = end + 1;
  }
  return out;
}

}  // namespace ravlek
