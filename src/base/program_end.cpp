#include "base/program_end.h"

#include <atomic>

namespace ravlek {

namespace {
// Read on the transfer's callbacks too, which run on the user-interface thread as well; atomic
// so that no later caller on another thread can see a torn value.
std::atomic<bool> g_ending{false};
}  // namespace

void RequestProgramEnd() {
  g_ending = true;
}

bool ProgramEndRequested() {
  return g_ending;
}

void ResetProgramEnd() {
  g_ending = false;
}

}  // namespace ravlek
