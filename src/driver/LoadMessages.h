#pragma once

#include <string>
#include <string_view>

#include "formats/InputFile.h"
#include "formats/Loader.h"

namespace jobshop {

// The program's own message about an instance file it refused, in its own
// words and framed by line ends as jobshop-insert prints it on standard
// error ("\nBlad w pliku input.txt: ...\n"), naming `file` where its texts
// name input.txt.
std::string ProgramLoadMessage(const LoadError& error, std::string_view file);

// The same refusal as one line for the developer tools, in English and
// with the line: "FILE:LINE: what is wrong".
std::string ToolLoadMessage(const LoadError& error, std::string_view file);

// Why a text file could not be read, as one line for the developer tools.
std::string ToolTextFileMessage(const TextFileError& error, std::string_view file,
                                const TextLimits& limits);

}  // namespace jobshop
