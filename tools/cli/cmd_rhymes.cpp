// ravlek-cli rhymes: the 106 Pingshui rhyme names in their fixed order, one per line.

#include "cli.h"
#include "dictionary/rhymes.h"

namespace ravlek::cli {
namespace {

int Rhymes(const Globals&, const QStringList& args) {
  QCommandLineParser parser;
  if (const auto end = ParseCommandLine(parser, QStringLiteral("rhymes"), {}, args)) return *end;
  WriteOut((PingshuiRhymeNames().join(QLatin1Char('\n')) + QLatin1Char('\n')).toUtf8());
  return 0;
}

const CommandRegistration registration("rhymes", "rhymes", &Rhymes,
                                       "The 106 Pingshui rhyme names in order, one a line.");

}  // namespace
}  // namespace ravlek::cli
