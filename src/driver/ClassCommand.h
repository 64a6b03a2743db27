#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace jobshop {

inline constexpr std::string_view kClassSynopsis =
    "jobshop-class --students N --jobs J --machines M [--times LO-HI] [--seed S] [--steps A-B] "
    "[--ask WORDS] [--lang pl|en] [--title TEXT] [--base-url URL] [--pdf] -o FOLDER";

// jobshop-class: a class set in one command. N instances from
// jobshop-generate's class mode (seed S), numbered variants 1 ... N, and
// from one run of each: the worksheets of every variant in one page, the
// answer key paginated alike, a Moodle XML quiz, a roster CSV (with links
// into the web edition's practice mode under --base-url) and, with --pdf,
// both pages printed to PDF by chromium. Everything goes into FOLDER by the
// output policy, all of it or nothing. Returns the exit status: 0 written,
// 1 a failed write or print (or no chromium for --pdf), 2 usage error.
int RunClass(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace jobshop
