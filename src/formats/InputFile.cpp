#include "formats/InputFile.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <array>
#include <cerrno>

namespace jobshop {
namespace {

// An open file descriptor, closed when it goes.
class OpenFile {
  public:
    explicit OpenFile(const std::filesystem::path& path)
        : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOCTTY)) {
        struct stat info {};
        if (fd_ >= 0 && ::fstat(fd_, &info) == 0) {
            regular_ = S_ISREG(info.st_mode);
            if (regular_) size_ = static_cast<std::uint64_t>(info.st_size);
        }
    }
    ~OpenFile() {
        if (fd_ >= 0) ::close(fd_);
    }
    OpenFile(const OpenFile&) = delete;
    OpenFile& operator=(const OpenFile&) = delete;

    int fd() const { return fd_; }
    bool regular() const { return regular_; }
    std::uint64_t size() const { return size_; }  // of a regular file; else 0

    // Whether a byte (or the end) is ready within `milliseconds`; a regular
    // file always is.
    bool Ready(int milliseconds) const {
        if (regular_) return true;
        pollfd wait{fd_, POLLIN, 0};
        int got;
        while ((got = ::poll(&wait, 1, milliseconds)) < 0 && errno == EINTR) {
        }
        return got != 0;
    }

    // Reads what is there, up to `size` bytes: 0 at the end, -1 on an error.
    ssize_t Read(char* to, std::size_t size) const {
        for (;;) {
            const ssize_t got = ::read(fd_, to, size);
            if (got >= 0 || errno != EINTR) return got;
        }
    }

  private:
    int fd_;
    bool regular_ = false;
    std::uint64_t size_ = 0;
};

// A file handed to the loader a buffer at a time. Each read returns what is
// there, so a pipe hands over its bytes as they come, without waiting for
// its end.
class FileSource final : public ByteSource {
  public:
    explicit FileSource(const OpenFile& file) : file_(file) {}

    std::string_view NextPiece() override {
        const ssize_t got = file_.Read(buffer_.data(), buffer_.size());
        if (got >= 0) return {buffer_.data(), static_cast<std::size_t>(got)};
        failed_ = true;  // a folder named input.txt ends here
        return {};
    }
    std::uint64_t KnownSize() const override { return file_.size(); }
    bool WouldWait() override { return !file_.Ready(0); }
    bool failed() const { return failed_; }

  private:
    const OpenFile& file_;
    bool failed_ = false;
    std::array<char, 64 * 1024> buffer_;
};

bool IsTextByte(unsigned char byte) {
    return byte >= 0x20 ? byte != 0x7f : (byte >= '\t' && byte <= '\r');
}

TextFileError Failed(TextFileError::Kind kind, int error = 0) {
    TextFileError failed;
    failed.kind = kind;
    failed.error = error;
    return failed;
}

TextFileError NotText(std::string_view text, std::size_t at) {
    TextFileError error = Failed(TextFileError::Kind::kNotText);
    error.line = 1 + std::count(text.begin(), text.begin() + static_cast<std::ptrdiff_t>(at), '\n');
    error.byte = static_cast<unsigned char>(text[at]);
    return error;
}

}  // namespace

std::optional<LoadError> LoadInstanceFile(const std::filesystem::path& path, Model& model) {
    const OpenFile file(path);
    if (file.fd() < 0) return LoadError{};
    FileSource source(file);
    std::optional<LoadError> refused = LoadInstanceFrom(source, model);
    // A read that failed midway may have cut a token short: nothing read is
    // trusted then.
    if (source.failed()) return LoadError{};
    return refused;
}

std::optional<TextFileError> ReadTextFile(const std::filesystem::path& path, std::string& text,
                                          const TextLimits& limits) {
    text.clear();
    const OpenFile file(path);
    if (file.fd() < 0) return Failed(TextFileError::Kind::kCannotOpen, errno);
    if (file.size() > limits.maxBytes) return Failed(TextFileError::Kind::kTooLarge);
    // A regular file is read into room of its size, at once; anything else
    // a piece at a time into room for the limit and one byte past it, whose
    // pages take memory only once a piece is read into them, so what came is
    // never copied to grow and no room is cleared but the next piece's.
    constexpr std::size_t kPiece = 64 * 1024;
    text.reserve(static_cast<std::size_t>(file.regular() ? file.size() + 1 : limits.maxBytes + 1));
    for (;;) {
        if (!file.Ready(limits.idleMilliseconds)) return Failed(TextFileError::Kind::kIdle);
        const std::size_t start = text.size();
        const std::size_t want =
            file.regular() && text.capacity() > start ? text.capacity() - start : kPiece;
        const auto room =
            static_cast<std::size_t>(std::min<std::uint64_t>(want, limits.maxBytes + 1 - start));
        text.resize(start + room);
        const ssize_t got = file.Read(text.data() + start, room);
        if (got < 0) return Failed(TextFileError::Kind::kCannotOpen, errno);
        text.resize(start + static_cast<std::size_t>(got));
        if (got == 0) return std::nullopt;
        const auto bad =
            std::find_if(text.begin() + static_cast<std::ptrdiff_t>(start), text.end(),
                         [](char c) { return !IsTextByte(static_cast<unsigned char>(c)); });
        if (bad != text.end()) return NotText(text, static_cast<std::size_t>(bad - text.begin()));
        if (text.size() > limits.maxBytes) return Failed(TextFileError::Kind::kTooLarge);
    }
}

}  // namespace jobshop
