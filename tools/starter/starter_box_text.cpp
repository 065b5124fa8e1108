// The starter of a build without the window toolkit: standard error only.
#include <cstdio>

#include "starter_box.h"

namespace ravlek {

std::unique_ptr<QCoreApplication> MakeStarterApplication(int& argc, char** argv) {
  return std::make_unique<QCoreApplication>(argc, argv);
}

void TellUser(const QString& text, const QString& details) {
  std::fprintf(stderr, "Ravlek_Start: %s\n", qUtf8Printable(text));
  if (!details.isEmpty()) std::fprintf(stderr, "%s\n", qUtf8Printable(details));
}

}  // namespace ravlek
