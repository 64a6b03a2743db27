#include "driver/CommandSupport.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <fstream>
#include <iterator>
#include <ostream>
#include <vector>

namespace jobshop {
namespace {

class SynopsisFormatter : public CLI::Formatter {
  public:
    explicit SynopsisFormatter(std::string_view synopsis) : synopsis_(synopsis) {}
    std::string make_usage(const CLI::App*, std::string) const override {
        return "Usage: " + synopsis_ + "\n";
    }

  private:
    std::string synopsis_;
};

// The mode a new file gets from the umask, or the one the file it replaces had.
mode_t ModeFor(const std::filesystem::path& path) {
    struct stat existing;
    if (::stat(path.c_str(), &existing) == 0) return existing.st_mode & 07777;
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
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

Status WriteFailure(const std::filesystem::path& path, int error) {
    return Status::Failure(path.string() + ": cannot write: " + std::strerror(error));
}

}  // namespace

std::optional<int> ParseArguments(CLI::App& app, std::string_view synopsis,
                                  std::span<const std::string> args, std::ostream& out,
                                  std::ostream& err) {
    app.formatter(std::make_shared<SynopsisFormatter>(synopsis));
    // CLI11 takes the words last first.
    std::vector<std::string> reversed(args.rbegin(), args.rend());
    try {
        app.parse(reversed);
    } catch (const CLI::CallForHelp&) {
        if (WriteAll(out, app.help())) return kExitOk;
        err << app.get_name() << ": " << kStdoutFailure << "\n";
        return kExitBadInput;
    } catch (const CLI::ParseError& e) {
        err << app.get_name() << ": " << e.what() << "\nUsage: " << synopsis << "\n";
        err.flush();
        return kExitUsage;
    }
    return std::nullopt;
}

std::optional<std::string> ReadInputFile(const std::filesystem::path& path) {
    std::error_code error;
    if (std::filesystem::is_directory(path, error)) return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in) return std::nullopt;
    std::string content{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    if (in.bad()) return std::nullopt;
    return content;
}

Status WriteFileAtomically(const std::filesystem::path& path, std::string_view content) {
    if (!path.has_filename()) return WriteFailure(path, EISDIR);
    const std::filesystem::path folder = path.has_parent_path() ? path.parent_path() : ".";
    std::string temporary = (folder / ("." + path.filename().string() + ".XXXXXX")).string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) return WriteFailure(path, errno);
    // fsync before the rename: after a crash the name holds the old content
    // or the whole new one.
    int error = 0;
    if (::fchmod(fd, ModeFor(path)) != 0 || !WriteFully(fd, content) || ::fsync(fd) != 0) {
        error = errno;
    }
    if (::close(fd) != 0 && error == 0) error = errno;
    if (error == 0 && ::rename(temporary.c_str(), path.c_str()) != 0) error = errno;
    if (error == 0) return Status::Ok();
    ::unlink(temporary.c_str());
    return WriteFailure(path, error);
}

bool WriteAll(std::ostream& out, std::string_view content) {
    out << content;
    out.flush();
    return static_cast<bool>(out);
}

}  // namespace jobshop
