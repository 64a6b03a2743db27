#pragma once

#include <CLI/CLI.hpp>
#include <filesystem>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "model/Status.h"

namespace jobshop {

// Exit statuses of the developer tools (jobshop-convert, jobshop-quality).
inline constexpr int kExitOk = 0;
inline constexpr int kExitBadInput = 1;  // bad input, or the output could not be written
inline constexpr int kExitUsage = 2;

inline constexpr std::string_view kStdoutFailure = "cannot write to standard output";

// Parses `args` (the words after the program's name) into `app`, whose help
// shows `synopsis` as its usage line. Returns the status to exit with when
// the command ends here: 0 after --help (printed on `out`), 2 after a usage
// error (one line and the synopsis on `err`); nothing when it goes on.
std::optional<int> ParseArguments(CLI::App& app, std::string_view synopsis,
                                  std::span<const std::string> args, std::ostream& out,
                                  std::ostream& err);

// The whole content of a file; nothing when it is missing, unreadable or a
// folder.
std::optional<std::string> ReadInputFile(const std::filesystem::path& path);

// Replaces `path` with `content` all at once: written to a temporary file in
// the same folder, then renamed over it, so a failure leaves `path` as it was
// and never half written. A failure says why.
Status WriteFileAtomically(const std::filesystem::path& path, std::string_view content);

// Writes `content` to `out` and flushes it; false when the stream failed (a
// closed pipe, a full disk).
bool WriteAll(std::ostream& out, std::string_view content);

}  // namespace jobshop
