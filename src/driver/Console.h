#pragma once

namespace jobshop {

// Waits for one key press on the controlling terminal itself, without echo
// and without waiting for ENTER, and restores the terminal afterwards. Never
// reads standard input; returns at once when the process has no terminal.
void WaitForKeyPress();

}  // namespace jobshop
