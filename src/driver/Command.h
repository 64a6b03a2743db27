#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "driver/OutputFiles.h"

// Declared only: every program's main includes this, and CLI11's header is
// slow to compile; only the files that build options read it.
namespace CLI {
class App;
}  // namespace CLI

namespace jobshop {

// The frame every program shares at its edge: exit statuses, option parsing
// over CLI11, one way to report, the output policy of OutputFiles.h, and the
// start of the process.

inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // bad input, a failed write or a failed standard output
inline constexpr int kExitUsage = 2;

// How a program speaks at its edge. The developer tools speak English, each
// message one line after their name; jobshop-replay speaks Polish like
// jobshop-insert, each failure its own text framed by line ends.
struct Voice {
    std::string_view name;  // the program's name, as messages give it
    // The usage line shown after a usage error; a Polish program shows its
    // whole usage text there and for --help.
    std::string_view usage;
    bool polish = false;
};

class Command {
  public:
    Command(Voice voice, std::ostream& out, std::ostream& err);

    // Parses `args` (the words after the program's name) into `app`.
    // Returns the status to exit with when the command ends here: 0 after
    // --help (printed on standard output), 2 after a usage error (one line
    // and the usage on standard error); nothing when it goes on.
    std::optional<int> Parse(CLI::App& app, std::span<const std::string> args);

    // Reports a usage error (one line and the usage); returns 2.
    int UsageError(std::string_view what);
    // Reports a failure; returns 1. An English `what` is one line without
    // the program's name; a Polish one is the program's own text.
    int Fail(std::string_view what);
    // Reports an output that could not be written; returns 1.
    int Fail(const OutputError& error);
    // Prints `text` on standard output; 0, or 1 after reporting a failed
    // standard output (full, closed), by `failure` when given.
    int Print(std::string_view text, std::string_view failure = {});

    // Writes `outputs` by the output policy, "-" to this command's standard
    // output; 0, or 1 after reporting what could not be written.
    int Write(std::span<const OutputFile> outputs);
    // The same for outputs made one at a time (see OutputContent).
    int Write(std::span<const std::string> paths, const OutputContent& content);

    std::ostream& out() { return out_; }
    std::ostream& err() { return err_; }

  private:
    Voice voice_;
    std::ostream& out_;
    std::ostream& err_;
};

// What a program does with its arguments and standard streams; returns the
// exit status.
using CommandMain =
    std::function<int(std::span<const std::string> args, std::ostream& out, std::ostream& err)>;

// The whole main of a program: PrepareProcess (driver/Console.h), temporary files removed when
// a signal ends the program, then `command` on the words after the program's
// name and the standard streams.
int RunMain(int argc, char** argv, const CommandMain& command);

}  // namespace jobshop
