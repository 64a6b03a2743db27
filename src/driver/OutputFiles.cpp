#include "driver/OutputFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <signal.h>
#include <stdlib.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <memory>
#include <ostream>

namespace jobshop {
namespace {

namespace fs = std::filesystem;

// The temporary files being written, for the signal handler. The handler
// reads the table through one pointer and a count, and each slot through a
// pointer to its path; both change only while the cleaned signals are held,
// so it never sees a half-made slot. The table grows as a program writes
// more files at once (a class of generated instances is thousands).
struct TemporarySlot {
    volatile std::sig_atomic_t used = 0;
    const char* path = nullptr;
};
TemporarySlot gInitialSlots[8];
TemporarySlot* volatile gSlots = gInitialSlots;
volatile std::size_t gSlotCount = std::size(gInitialSlots);
// The folder made for the outputs, removed after them while still empty.
const char* volatile gNewFolder = nullptr;
// The scratch folder, removed with what is in it, and the process working
// in it, killed with its group before.
const char* volatile gScratchFolder = nullptr;
volatile pid_t gScratchWorker = 0;

constexpr int kCleanedSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT, SIGPIPE};

// Removes the entry `name` of the folder open as `parent`, and what is in it
// when it is a folder, with calls a signal handler may make (no memory is
// allocated): each folder is read in passes, since removing entries while
// reading may hide others from the same pass, until a pass finds none.
// Links are removed, never followed. A browser's profile is a few levels
// deep; deeper than kMaxDepth is left.
constexpr int kMaxDepth = 24;
void RemoveTreeAt(int parent, const char* name, int depth) {
    if (::unlinkat(parent, name, 0) == 0 || (errno != EISDIR && errno != EPERM)) return;
    const int dir = ::openat(parent, name, O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (dir < 0) return;
    alignas(struct dirent64) char buffer[4096];
    for (int pass = 0, found = 1; found > 0 && pass < 64 && depth < kMaxDepth; ++pass) {
        found = 0;
        ::lseek(dir, 0, SEEK_SET);
        for (ssize_t n; (n = ::getdents64(dir, buffer, sizeof buffer)) > 0;) {
            for (ssize_t at = 0; at < n;) {
                const auto* entry = reinterpret_cast<const struct dirent64*>(buffer + at);
                at += entry->d_reclen;
                const char* entryName = entry->d_name;
                if (entryName[0] == '.' &&
                    (entryName[1] == 0 || (entryName[1] == '.' && entryName[2] == 0)))
                    continue;
                ++found;
                RemoveTreeAt(dir, entryName, depth + 1);
            }
        }
    }
    ::close(dir);
    ::unlinkat(parent, name, AT_REMOVEDIR);
}

void RemoveScratch() {
    if (const pid_t worker = gScratchWorker; worker > 0) {
        ::kill(-worker, SIGKILL);
        ::waitpid(worker, nullptr, 0);
    }
    if (const char* folder = gScratchFolder) RemoveTreeAt(AT_FDCWD, folder, 0);
}

extern "C" void RemoveTemporariesAndReraise(int signal) {
    TemporarySlot* slots = gSlots;
    const std::size_t count = gSlotCount;
    for (std::size_t s = 0; s < count; ++s) {
        if (slots[s].used) ::unlink(slots[s].path);
    }
    if (const char* folder = gNewFolder) ::rmdir(folder);
    RemoveScratch();
    std::signal(signal, SIG_DFL);
    std::raise(signal);
}

// Signals held while a temporary file is created and registered, so that
// none can come between the two.
class HeldSignals {
  public:
    HeldSignals() {
        sigset_t held;
        sigemptyset(&held);
        for (const int s : kCleanedSignals) sigaddset(&held, s);
        ::sigprocmask(SIG_BLOCK, &held, &previous_);
    }
    ~HeldSignals() { ::sigprocmask(SIG_SETMASK, &previous_, nullptr); }
    HeldSignals(const HeldSignals&) = delete;
    HeldSignals& operator=(const HeldSignals&) = delete;

  private:
    sigset_t previous_;
};

// A free slot, the table doubled when it is full; called with the signals
// held, so the handler (which ends the program) cannot be reading the table
// it replaces.
std::size_t FreeSlot() {
    for (std::size_t s = 0; s < gSlotCount; ++s) {
        if (!gSlots[s].used) return s;
    }
    const std::size_t count = gSlotCount;
    auto* grown = new TemporarySlot[2 * count];
    for (std::size_t s = 0; s < count; ++s) {
        grown[s].path = gSlots[s].path;
        grown[s].used = gSlots[s].used;
    }
    TemporarySlot* replaced = gSlots;
    gSlots = grown;
    gSlotCount = 2 * count;
    if (replaced != gInitialSlots) delete[] replaced;
    return count;
}

// A file that exists only until Keep or Remove: removed by a signal too.
class Temporary {
  public:
    Temporary() = default;
    Temporary(const Temporary&) = delete;
    Temporary& operator=(const Temporary&) = delete;
    ~Temporary() { Remove(); }

    // Takes `path`, a file just made; called with the signals held.
    void Take(std::string path) {
        path_ = std::move(path);
        slot_ = FreeSlot();
        gSlots[slot_].path = path_.c_str();
        std::atomic_signal_fence(std::memory_order_seq_cst);
        gSlots[slot_].used = 1;
        held_ = true;
    }
    const std::string& path() const { return path_; }
    bool held() const { return held_; }
    // The file has been renamed away or is to stay.
    void Keep() {
        if (!held_) return;
        gSlots[slot_].used = 0;
        // The handler must not read the path once it is gone.
        std::atomic_signal_fence(std::memory_order_seq_cst);
        held_ = false;
        path_.clear();
    }
    void Remove() {
        if (held_) ::unlink(path_.c_str());
        Keep();
    }

  private:
    std::string path_;
    std::size_t slot_ = 0;
    bool held_ = false;
};

OutputError CannotWrite(const std::string& path, int error) {
    return {OutputError::Kind::kCannotWrite, path, error};
}

// The folder of `file` resolved, starting with /proc/: a link there (as
// /dev/stdout leads to /proc/self/fd/1) names an open file, not a path.
bool IsProcessLink(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    char resolved[PATH_MAX];
    if (::realpath(folder.empty() ? "." : folder.c_str(), resolved) == nullptr) return false;
    return std::strncmp(resolved, "/proc/", 6) == 0;
}

// Where an output goes: a regular file to replace (links followed), or a
// name to write through.
struct Target {
    bool replace = false;
    std::string file;
};

std::optional<OutputError> Resolve(const std::string& path, Target& target) {
    std::string current = path;
    for (int hops = 0; hops < 40; ++hops) {
        struct stat info {};
        if (::lstat(current.c_str(), &info) != 0) {
            if (errno != ENOENT) return CannotWrite(path, errno);
            target = {true, current};  // a new file, where the links lead
            return std::nullopt;
        }
        if (S_ISREG(info.st_mode)) {
            target = {true, current};
            return std::nullopt;
        }
        if (!S_ISLNK(info.st_mode) || IsProcessLink(current)) {
            target = {false, path};
            return std::nullopt;
        }
        char link[PATH_MAX];
        const ssize_t length = ::readlink(current.c_str(), link, sizeof link);
        if (length < 0) return CannotWrite(path, errno);
        if (static_cast<std::size_t>(length) == sizeof link) return CannotWrite(path, ENAMETOOLONG);
        const fs::path next(std::string(link, static_cast<std::size_t>(length)));
        current =
            next.is_absolute() ? next.string() : (fs::path(current).parent_path() / next).string();
    }
    return CannotWrite(path, ELOOP);
}

bool WriteFully(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0 && errno == EINTR) continue;
        if (written == 0) errno = EIO;
        if (written <= 0) return false;
        content.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool WritePieces(int fd, std::span<const std::string_view> pieces) {
    for (const std::string_view piece : pieces) {
        if (!WriteFully(fd, piece)) return false;
    }
    return true;
}

// The mode a new file gets from the umask, or the one the file it replaces had.
mode_t ModeFor(const std::string& file) {
    struct stat existing {};
    if (::stat(file.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

// Writes the content into a new temporary file beside `target.file`,
// flushed to the disk, so that a crash after the rename leaves the old
// content or the whole new one.
std::optional<OutputError> Stage(const std::string& path, std::span<const std::string_view> pieces,
                                 const Target& target, std::string_view program,
                                 Temporary& temporary) {
    const fs::path folder = fs::path(target.file).parent_path();
    std::string leaf(".");
    leaf.append(program).append("-XXXXXX");
    std::string name = ((folder.empty() ? fs::path(".") : folder) / leaf).string();
    int fd;
    {
        const HeldSignals held;
        fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd >= 0) temporary.Take(name);
    }
    if (fd < 0) return CannotWrite(path, errno);
    int error = 0;
    if (::fchmod(fd, ModeFor(target.file)) != 0 || !WritePieces(fd, pieces) || ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return std::nullopt;
    temporary.Remove();
    return CannotWrite(path, error);
}

std::optional<OutputError> WriteThrough(const std::string& path,
                                        std::span<const std::string_view> pieces) {
    const int fd = ::open(path.c_str(), O_WRONLY | O_APPEND | O_NOCTTY | O_CLOEXEC);
    if (fd < 0) return CannotWrite(path, errno);
    int error = WritePieces(fd, pieces) ? 0 : errno;
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0) return std::nullopt;
    return CannotWrite(path, error);
}

// A file to be replaced, its new content staged, and a second name for its
// old content while others are replaced.
struct Replacement {
    const std::string* path = nullptr;
    Target target;
    Temporary staged;
    Temporary backup;
};

// Renames every staged file over its target; when one fails, the targets
// already replaced get their old content back (or go, if they were new).
// No signal lands between two renames, so a signal ends the program with
// all of them done or none.
std::optional<OutputError> ReplaceAll(std::vector<std::unique_ptr<Replacement>>& replacements,
                                      FileMoves& moves) {
    const HeldSignals held;
    if (replacements.size() > 1) {
        for (auto& pointer : replacements) {
            Replacement& r = *pointer;
            const std::string backup = r.staged.path() + ".old";
            const int error = moves.Link(r.target.file, backup);
            if (error == 0) {
                r.backup.Take(backup);
            } else if (error != ENOENT) {
                // Without its old content kept, a target could not be put back.
                return CannotWrite(*r.path, error);
            }
        }
    }
    for (std::size_t i = 0; i < replacements.size(); ++i) {
        Replacement& r = *replacements[i];
        const int error = moves.Rename(r.staged.path(), r.target.file);
        if (error == 0) {
            r.staged.Keep();
            continue;
        }
        // Each target is put back on its own, whatever became of the others.
        for (std::size_t j = 0; j < i; ++j) {
            Replacement& done = *replacements[j];
            if (!done.backup.held()) {
                moves.Unlink(done.target.file);
            } else if (moves.Rename(done.backup.path(), done.target.file) == 0) {
                done.backup.Keep();
            }
        }
        return CannotWrite(*r.path, error);
    }
    return std::nullopt;
}

}  // namespace

std::optional<OutputError> CheckOutputName(const std::string& path) {
    if (path == kStandardOutputName) return std::nullopt;
    const fs::path name(path);
    const fs::path folder = name.parent_path().empty() ? fs::path(".") : name.parent_path();
    long longest = ::pathconf(folder.c_str(), _PC_NAME_MAX);
    if (longest <= 0) longest = NAME_MAX;
    if (name.filename().string().size() > static_cast<std::size_t>(longest) ||
        path.size() >= PATH_MAX) {
        return OutputError{OutputError::Kind::kNameTooLong, path, 0};
    }
    return std::nullopt;
}

int FileMoves::Rename(const std::string& from, const std::string& to) {
    return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : errno;
}

int FileMoves::Link(const std::string& existing, const std::string& second) {
    return ::link(existing.c_str(), second.c_str()) == 0 ? 0 : errno;
}

int FileMoves::Unlink(const std::string& path) {
    return ::unlink(path.c_str()) == 0 ? 0 : errno;
}

std::optional<OutputError> WriteOutputs(std::span<const OutputFile> outputs,
                                        std::ostream& standardOutput, std::string_view program) {
    std::vector<std::string> paths;
    for (const OutputFile& output : outputs) paths.push_back(output.path);
    FileMoves system;
    return WriteOutputs(
        paths, [&outputs](std::size_t i) { return outputs[i].pieces; }, standardOutput, program,
        system);
}

std::optional<OutputError> WriteOutputs(std::span<const std::string> paths,
                                        const OutputContent& content, std::ostream& standardOutput,
                                        std::string_view program, FileMoves& moves) {
    std::vector<Target> targets(paths.size());
    std::vector<std::unique_ptr<Replacement>> replacements;
    for (std::size_t i = 0; i < paths.size(); ++i) {
        const std::string& path = paths[i];
        if (path == kStandardOutputName) continue;
        if (auto e = CheckOutputName(path)) return e;
        if (auto e = Resolve(path, targets[i])) return e;
        if (!targets[i].replace) continue;
        auto& r = *replacements.emplace_back(std::make_unique<Replacement>());
        r.path = &path;
        r.target = targets[i];
        if (auto e = Stage(path, content(i), r.target, program, r.staged)) return e;
    }
    // What cannot be undone comes after everything that can fail early, and
    // before any file is replaced.
    for (std::size_t i = 0; i < paths.size(); ++i) {
        if (paths[i] == kStandardOutputName) {
            for (const std::string_view piece : content(i)) standardOutput << piece;
            standardOutput.flush();
            if (!standardOutput) return OutputError{OutputError::Kind::kStandardOutput, {}, 0};
        } else if (!targets[i].replace) {
            if (auto e = WriteThrough(paths[i], content(i))) return e;
        }
    }
    return ReplaceAll(replacements, moves);
}

NewFolder::~NewFolder() {
    if (path_.empty()) return;
    ::rmdir(path_.c_str());
    Keep();
}

int NewFolder::Make(const std::string& path) {
    const HeldSignals held;
    if (::mkdir(path.c_str(), 0777) != 0) return errno;
    path_ = path;
    gNewFolder = path_.c_str();
    return 0;
}

void NewFolder::Keep() {
    const HeldSignals held;
    gNewFolder = nullptr;
    path_.clear();
}

ScratchFolder::ScratchFolder(std::string_view prefix) {
    std::string pattern = (fs::temp_directory_path() / prefix).string() + "XXXXXX";
    const HeldSignals held;
    if (::mkdtemp(pattern.data()) == nullptr) return;
    path_ = pattern;
    gScratchFolder = path_.c_str();
}

ScratchFolder::~ScratchFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    fs::remove_all(path_, ignored);
    const HeldSignals held;
    gScratchWorker = 0;
    gScratchFolder = nullptr;
}

pid_t ScratchFolder::StartWorker(const std::function<pid_t()>& start) {
    const HeldSignals held;
    const pid_t worker = start();
    if (worker > 0) gScratchWorker = worker;
    return worker;
}

void ScratchFolder::Release() {
    const HeldSignals held;
    gScratchWorker = 0;
}

bool SameFile(const fs::path& a, const fs::path& b) {
    std::error_code ec;
    if (fs::equivalent(a, b, ec)) return true;
    // Where a name would be written: through its links, also one that leads
    // to no file yet, since writing creates the file it names.
    const auto resolved = [](const fs::path& p) {
        Target target;
        const fs::path file = Resolve(p.string(), target) ? p : fs::path(target.file);
        std::error_code e;
        const fs::path absolute = fs::absolute(file, e).lexically_normal();
        const fs::path canonical = fs::weakly_canonical(absolute, e);
        return e ? absolute : canonical;
    };
    return resolved(a) == resolved(b);
}

void RemoveTemporaryFilesOnSignals() {
    for (const int s : kCleanedSignals) {
        struct sigaction previous {};
        ::sigaction(s, nullptr, &previous);
        if (previous.sa_handler == SIG_IGN) continue;
        struct sigaction clean {};
        clean.sa_handler = RemoveTemporariesAndReraise;
        sigemptyset(&clean.sa_mask);
        ::sigaction(s, &clean, nullptr);
    }
}

}  // namespace jobshop
