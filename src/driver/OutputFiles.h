#pragma once

#include <sys/types.h>

#include <filesystem>
#include <functional>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace jobshop {

// The output policy of every program that writes a file by a name it is
// given:
//
// - a regular file, new or existing, is replaced all at once: the content
//   goes to a temporary file in the same folder, which is renamed over it,
//   so the name holds the old content or the whole new one (an existing
//   file keeps its permissions);
// - a symbolic link is followed and the file it names is replaced; the link
//   stays;
// - anything else (a device such as /dev/null or /dev/full, a FIFO,
//   /dev/stdout) is written through, never replaced;
// - "-" is the program's standard output.
//
// A program's outputs are written together: all of them or none is
// replaced. A temporary file a signal interrupts is removed, and so is a
// folder the program made for its outputs.

// The name that means standard output.
inline constexpr std::string_view kStandardOutputName = "-";

struct OutputFile {
    std::string path;                      // as the user gave it; "-" is standard output
    std::vector<std::string_view> pieces;  // the content, in order
};

struct OutputError {
    enum class Kind {
        kNameTooLong,     // the name does not fit the file system's limits
        kCannotWrite,     // `error` (an errno value) says why
        kStandardOutput,  // standard output did not take it (full, closed)
    };
    Kind kind = Kind::kCannotWrite;
    std::string path;
    int error = 0;
};

// Whether `path` can name a file at all: its last part at most as long as
// its folder's file system allows (255 bytes on most), the whole within the
// system's path limit. Checked before anything is computed for it.
std::optional<OutputError> CheckOutputName(const std::string& path);

// The content of output `i`, asked for once, when that output is written:
// its pieces need to stay valid only until the next call, so outputs too
// large to hold together can be made one at a time.
using OutputContent = std::function<std::vector<std::string_view>(std::size_t i)>;

// The calls that put written outputs in place and take them back. The
// programs use the system's; a test passes its own to make one fail.
// Each returns 0 or the errno value of its failure.
class FileMoves {
  public:
    virtual ~FileMoves() = default;
    virtual int Rename(const std::string& from, const std::string& to);
    virtual int Link(const std::string& existing, const std::string& second);
    virtual int Unlink(const std::string& path);
};

// Writes every output by the policy, "-" to `standardOutput`; temporary
// files are named after `program`. Regular files are replaced only once
// every output has been written; if replacing one fails, those replaced
// before it are put back.
std::optional<OutputError> WriteOutputs(std::span<const OutputFile> outputs,
                                        std::ostream& standardOutput, std::string_view program);
// The same for the outputs named `paths`, each made by `content` when it
// is written, their files put in place by `moves`.
std::optional<OutputError> WriteOutputs(std::span<const std::string> paths,
                                        const OutputContent& content, std::ostream& standardOutput,
                                        std::string_view program, FileMoves& moves);

// A folder a program makes for its outputs. Until Keep, it is removed when
// this object goes or a signal ends the program, but only while it is
// empty: nothing else is ever removed with it.
class NewFolder {
  public:
    NewFolder() = default;
    NewFolder(const NewFolder&) = delete;
    NewFolder& operator=(const NewFolder&) = delete;
    ~NewFolder();

    // Makes the folder `path`; 0 or the errno value of the failure.
    int Make(const std::string& path);
    void Keep();

  private:
    std::string path_;
};

// A folder of the program's own in the system's temporary folder, for
// files no one else sees (pages to print, a browser's profile). It goes
// with everything in it when this object goes or a signal ends the
// program; a process group working in it (the browser) is killed first, so
// that nothing is written into it while it goes. One at a time.
class ScratchFolder {
  public:
    // Makes "<prefix>XXXXXX"; path() is empty when that fails.
    explicit ScratchFolder(std::string_view prefix);
    ScratchFolder(const ScratchFolder&) = delete;
    ScratchFolder& operator=(const ScratchFolder&) = delete;
    ~ScratchFolder();

    const std::filesystem::path& path() const { return path_; }
    // Starts the process that works in the folder until Release: `start`
    // makes it, the leader of a process group of its own, and returns its
    // id (or 0, for none). No signal comes between the two; the caller waits
    // for it. Until then a signal kills its group and waits for it.
    pid_t StartWorker(const std::function<pid_t()>& start);
    void Release();

  private:
    std::filesystem::path path_;
};

// Whether two names reach the same file, through links or not, or would
// once created.
bool SameFile(const std::filesystem::path& a, const std::filesystem::path& b);

// Makes SIGINT, SIGTERM, SIGHUP, SIGQUIT and SIGPIPE remove the temporary
// files being written and the scratch folder before the signal ends the
// program as it would have (a signal the program was started ignoring stays
// ignored).
void RemoveTemporaryFilesOnSignals();

}  // namespace jobshop
