#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace jobshop {

inline constexpr std::string_view kConvertSynopsis =
    "jobshop-convert [--from FORMAT] [--instance NAME | --index K] [--name NAME] [--to FORMAT] "
    "[-o OUT] FILE";

// jobshop-convert: reads one instance of FILE (OR-Library, JSPLIB, Taillard,
// flexible job-shop or the program's own format) and writes it in the
// program's format, or OR-Library's with --to standard, to OUT or `out`.
// `args` are the words after the program's name. Returns the exit status: 0
// done, 1 bad input or a failed write (nothing written), 2 usage error.
int RunConvert(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace jobshop
