#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "Sinks.h"
#include "TestFiles.h"
#include "model/Model.h"

namespace jobshop::testing {

// A file of the source tree (examples, golden traces).
std::filesystem::path SourcePath(std::string_view relative);

// Loads and sorts an instance given as the text of input.txt; fails the
// calling test if the text is rejected.
Model LoadText(std::string_view text);

// The result of RunProgram on a folder, with an empty standard input.
struct RunResult {
    int status;
    std::string out;
    std::string err;
};
RunResult RunInFolder(const std::filesystem::path& folder);

// The result of a developer tool's command run in-process: `command` writes
// to the two streams it is given and returns the exit status.
RunResult RunCommand(const std::function<int(std::ostream& out, std::ostream& err)>& command);

// The result of running the built program as a separate process in `folder`,
// in a new session (so without a controlling terminal), stdin from /dev/null.
RunResult RunProgramProcess(const std::filesystem::path& folder);

}  // namespace jobshop::testing
