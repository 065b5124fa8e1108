#include "dictionary/tailo_syllable.h"

#include <array>

namespace ravlek {

namespace {

// Longest first, so that tsh is tried before ts, ng before n, ph before p.
constexpr std::array<const char16_t*, 17> kInitials = {u"tsh", u"ts", u"ph", u"th", u"kh", u"ng",
                                                       u"p",   u"b",  u"m",  u"t",  u"n",  u"l",
                                                       u"k",   u"g",  u"h",  u"s",  u"j"};

bool IsVowel(QChar c) {
  return c == u'a' || c == u'e' || c == u'i' || c == u'o' || c == u'u';
}

}  // namespace

bool TailoSyllable::Checked() const {
  if (final.isEmpty()) return false;
  const QChar last = final.back();
  return last == u'p' || last == u't' || last == u'k' || last == u'h';
}

bool IsTailoFinal(QStringView final) {
  // Syllabic nasals, with an optional glottal stop.
  if (final == u"m" || final == u"ng" || final == u"mh" || final == u"ngh") return true;
  qsizetype pos = 0;
  while (pos < final.size() && (IsVowel(final[pos]) || final[pos] == u'r')) ++pos;
  if (pos == 0 || final[0] == u'r') return false;
  QStringView rest = final.mid(pos);
  if (rest.startsWith(u"nn")) {
    rest = rest.mid(2);
    // A nasal vowel takes no nasal or oral stop coda, only the glottal stop.
    return rest.isEmpty() || rest == u"h";
  }
  return rest.isEmpty() || rest == u"m" || rest == u"n" || rest == u"ng" || rest == u"p" ||
         rest == u"t" || rest == u"k" || rest == u"h";
}

std::optional<TailoSyllable> SplitTailoSyllable(QStringView text) {
  if (text.size() < 2) return std::nullopt;
  const QChar digit = text.back();
  if (digit < u'1' || digit > u'9') return std::nullopt;
  const QStringView body = text.first(text.size() - 1);
  for (const char16_t* initial : kInitials) {
    const QStringView candidate(initial);
    if (body.startsWith(candidate) && IsTailoFinal(body.mid(candidate.size()))) {
      return TailoSyllable{candidate.toString(), body.mid(candidate.size()).toString(),
                           digit.digitValue()};
    }
  }
  if (IsTailoFinal(body)) return TailoSyllable{QString(), body.toString(), digit.digitValue()};
  return std::nullopt;
}

}  // namespace ravlek
