#pragma once

#include <iosfwd>
#include <span>
#include <string>
#include <string_view>

namespace jobshop {

inline constexpr std::string_view kGenerateSynopsis =
    "jobshop-generate --jobs N --machines M [--times LO-HI] "
    "[--taillard TIME_SEED MACHINE_SEED [--name NAME] | --seed S [--count K]] [-o FILE|FOLDER]";

// jobshop-generate: makes job-shop instances with Taillard's generator, in
// the program's format. With --taillard, the one instance of those two seeds
// (his ta01-ta80 among them); otherwise K instances of a class, their seeds
// drawn from S (or at random), each named so that it can be made again.
// Writes to standard output, a file, or files in a folder, by the output
// policy. Returns the exit status: 0 written, 1 a failed write, 2 usage error.
int RunGenerate(std::span<const std::string> args, std::ostream& out, std::ostream& err);

}  // namespace jobshop
