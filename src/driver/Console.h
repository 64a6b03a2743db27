#pragma once

namespace jobshop {

// Waits for one key press on the controlling terminal itself, without echo
// and without waiting for ENTER, and restores the terminal afterwards. Never
// reads standard input; returns at once when the process has no terminal.
void WaitForKeyPress();

// Prepares the process as every program needs it. Puts /dev/null,
// read-only, on each of standard input, output and error that the program
// was started without: files the run opens then cannot take those numbers
// (and receive console text), while a write to a missing standard output
// still fails, so the failure is noticed. And a file-size limit (ulimit -f)
// makes a write fail, reported like any failed write, instead of killing
// the program without a word.
void PrepareProcess();

}  // namespace jobshop
