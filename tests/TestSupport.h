#pragma once

#include <sys/types.h>

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

// Whether this build (the program's too) runs under AddressSanitizer.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitized = true;
#else
inline constexpr bool kSanitized = false;
#endif
#else
inline constexpr bool kSanitized = false;
#endif

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

// How a built program is started as a separate process.
struct ProcessSetup {
    enum class Output { kCaptured, kDiskFull, kClosed };
    Output out = Output::kCaptured;  // standard output: kept, /dev/full or closed
    // Limits the address space to 256 MB where the build allows (not under
    // AddressSanitizer, which reserves far more).
    bool limitMemory = false;
    int timeoutSeconds = 60;  // killed after that
    long fileSizeLimit = 0;   // bytes a file may reach (ulimit -f); 0: no limit
};

struct ProcessResult : RunResult {
    bool timedOut;
    double seconds;
    long peakKilobytes;  // peak resident memory
    int signal;          // the signal that ended it, or 0
};

// A program built beside jobshop-insert ("jobshop-convert", ...).
std::string BuiltProgram(std::string_view name);

// Starts `program` with `args` in `folder`, in a new session (so without a
// controlling terminal), stdin from /dev/null, standard output and error
// into files of `folder`; FinishProcess waits for it (killing it after the
// setup's time) and collects what it printed.
pid_t StartProcess(const std::filesystem::path& folder, const std::string& program,
                   const std::vector<std::string>& args, const ProcessSetup& setup = {});
ProcessResult FinishProcess(pid_t child, const std::filesystem::path& folder,
                            const ProcessSetup& setup = {});

// Both in one: runs `program` (default: jobshop-insert) to its end.
ProcessResult RunProcess(const std::filesystem::path& folder, const std::string& program,
                         const std::vector<std::string>& args, const ProcessSetup& setup = {});
ProcessResult RunProgramProcess(const std::filesystem::path& folder,
                                const ProcessSetup& setup = {});

}  // namespace jobshop::testing
