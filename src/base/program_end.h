#pragma once
// Once the user has closed the window the program is ending: whatever still waits in a nested
// loop (a page load, a script's answer, an update download) stops waiting, and no further box is
// shown, so that nothing holds the process after the window has gone.

namespace ravlek {

// Called when the window's close has been accepted.
void RequestProgramEnd();
// Whether the current run's window has been closed.
bool ProgramEndRequested();
// A new window is a new run (the tests make several in one process).
void ResetProgramEnd();

}  // namespace ravlek
