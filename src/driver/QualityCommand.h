#pragma once

#include <filesystem>
#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace jobshop {

inline constexpr std::string_view kQualitySynopsis =
    "jobshop-quality [FOLDER] [--tsv] [--search SECONDS]";

// jobshop-quality: runs the heuristic, without a trace, on every instance file
// (*.txt, the program's format) of FOLDER, `defaultFolder` when none is given,
// and prints each Cmax against the best known bounds of FOLDER/bounds.tsv: a
// Markdown table per instance and per family, or with --tsv the rows alone.
// Beside it the gaps of two dispatching rules (MWKR, SPT), and with
// --search SECONDS that of the tabu search from the heuristic's schedule.
// `args` are the words after the program's name. Returns the exit status: 0
// done, 1 bad input or a failed write, 2 usage error.
int RunQuality(std::span<const std::string> args, const std::filesystem::path& defaultFolder,
               std::ostream& out, std::ostream& err);

}  // namespace jobshop
