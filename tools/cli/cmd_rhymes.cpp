// ravlek-cli rhymes: the 106 Pingshui rhyme names in their fixed order, one per line.

#include "cli.h"
#include "dictionary/rhymes.h"

namespace ravlek::cli {
namespace {

int Rhymes(const Invocation&) {
  WriteOut((PingshuiRhymeNames().join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
  return 0;
}

CommandSpec Declaration() {
  CommandSpec spec;
  spec.name = QStringLiteral("rhymes");
  spec.summary = QStringLiteral("The 106 Pingshui rhyme names in order, one a line.");
  spec.dictionary = DictionaryUse::None;
  spec.run = &Rhymes;
  return spec;
}

const CommandRegistration registration(Declaration());

}  // namespace
}  // namespace ravlek::cli
