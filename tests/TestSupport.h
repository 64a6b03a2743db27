#pragma once

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <string>
#include <string_view>
#include <vector>

#include "model/Model.h"
#include "report/TraceOutput.h"

namespace jobshop::testing {

// A fresh folder under the system's temporary directory, removed with all
// its content when the object goes.
class TempFolder {
  public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;

    const std::filesystem::path& path() const { return path_; }
    std::filesystem::path operator/(std::string_view name) const { return path_ / name; }

  private:
    std::filesystem::path path_;
};

// Keeps every write it receives as one string, so tests can see where the
// output's writes fall.
class RecordingSink final : public ByteSink {
  public:
    bool Write(std::span<const std::string_view> parts) override;
    std::vector<std::string> writes;
};

std::string ReadText(const std::filesystem::path& path);
void WriteText(const std::filesystem::path& path, std::string_view text);

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
