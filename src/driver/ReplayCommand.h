#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace jobshop {

// jobshop-replay [INSTANCE] [-o PAGE] [--json DATA]: builds the schedule of
// INSTANCE (default input.txt) exactly as jobshop-insert does and writes the
// replay page (default <name>_krok_po_kroku.html), and with --json also the
// page's data alone. Relative paths are taken from the current folder.
// `args` are the arguments after the program name. Returns the exit status:
// 0 written, 1 a bad instance, a cycle or a failed write (one message on
// `err`), 2 a usage error (a one-line message and the usage on `err`).
int RunReplay(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace jobshop
