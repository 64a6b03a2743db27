#pragma once

#include <iosfwd>
#include <span>
#include <string>

namespace jobshop {

// jobshop-improve [INSTANCE] [--iterations K] [--seconds S] [--seed N]
// [-o TRACE] [--schedule FILE] [--json DATA] [--exact [--nodes N]]: builds
// the schedule of INSTANCE (default input.txt) exactly as jobshop-insert
// does, improves it by tabu search, with --exact proves the best makespan
// optimal by branch and bound where the limits allow, says what it found on
// standard output and writes the files asked for. `args` are the words
// after the program's name. Returns the exit status: 0 done, 1 a bad
// instance, a cycle, a trace too large or a failed write (one message on
// `err`), 2 a usage error (a one-line message and the usage on `err`).
int RunImprove(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace jobshop
