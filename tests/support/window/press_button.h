#pragma once
// Presses a button of the main window with the mouse, as the user does: its page is chosen
// first, and the press counts only when the button can be seen and is enabled.

class QPushButton;
class TOstrel;

namespace ravlek::test {

// Returns when the button's handler is done (fails the test when it cannot be pressed).
void PressOnItsPage(TOstrel& window, QPushButton* button);

}  // namespace ravlek::test
