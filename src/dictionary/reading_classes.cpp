#include "dictionary/reading_classes.h"

namespace ravlek {

const std::array<ReadingClass, 5>& ReadingClasses() {
  // Each statement differs from the others only in the class character before the percent sign.
  static const std::array<ReadingClass, 5> classes = {{
      {QChar(u'通'), "Select HanWord, HanSpell, Ptype FROM RavlekTable WHERE  Ptype like '通%' ",
       "通 ", " ", " "},
      {QChar(u'文'), "Select HanWord, HanSpell, Ptype FROM RavlekTable WHERE  Ptype like '文%' ",
       "(文 ", "( ", ") "},
      {QChar(u'今'), "Select HanWord, HanSpell, Ptype FROM RavlekTable WHERE  Ptype like '今%' ",
       "{今 ", "{ ", "} "},
      {QChar(u'古'), "Select HanWord, HanSpell, Ptype FROM RavlekTable WHERE  Ptype like '古%' ",
       "[古 ", "[ ", "] "},
      {QChar(u'白'), "Select HanWord, HanSpell, Ptype FROM RavlekTable WHERE  Ptype like '白%' ",
       "<白 ", "< ", "> "},
  }};
  return classes;
}

QString CharacterSeparator() {
  return QStringLiteral(u" 。 ");
}

std::vector<const ReadingClass*> ConsultedClasses(const ConversionOptions& options) {
  const auto& all = ReadingClasses();
  std::vector<const ReadingClass*> consulted = {&all[0], &all[1], &all[2]};
  if (options.ancient) consulted.push_back(&all[3]);
  if (options.colloquial) consulted.push_back(&all[4]);
  return consulted;
}

}  // namespace ravlek
