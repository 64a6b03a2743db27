#include "report/TraceOutput.h"

#include <fcntl.h>
#if defined(__linux__)
#include <linux/falloc.h>
#endif
#include <sys/uio.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "model/Printable.h"
#include "report/Decimal.h"

namespace jobshop {

Status TraceWriteFailure(const std::string& traceFileName) {
    // Escaped like a bad token, and shown whole up to the longest name a file
    // can have.
    constexpr std::size_t kLongestFileName = 255;
    return Status::Failure("\nBlad: nie mozna zapisac pliku " +
                           Printable(traceFileName, kLongestFileName) + ".\n");
}

std::unique_ptr<FileSink> FileSink::Open(const std::filesystem::path& path, Mode mode) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::kAppend ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return nullptr;
    return std::unique_ptr<FileSink>(new FileSink(fd, mode == Mode::kTruncate));
}

FileSink::FileSink(int fd, bool preallocate)
    : fd_(fd), vector_(kMaxParts), preallocate_(preallocate) {}

// Best effort: where the file system cannot reserve (or the file is a
// device), reserving stops and the writes go on as usual.
//
// A run killed midway cannot give its reservation back, so it never reaches
// more than 2 MiB past what the file holds before the write (a write larger
// than that is only partly covered). It ends on a 64 KiB boundary, so the
// file system's rounding to whole blocks does not take it further.
//
// Only Linux reserves without changing the file's size; elsewhere (the web
// edition's WebAssembly build compiles this file without ever calling it)
// the file grows write by write.
void FileSink::Reserve() {
#if !defined(__linux__)
    preallocate_ = false;
#else
    constexpr std::uint64_t kMaxAhead = 2 << 20;
    constexpr std::uint64_t kUnit = 64 << 10;
    const std::uint64_t target = (written_ + kMaxAhead) / kUnit * kUnit;
    if (target <= reserved_) return;
    if (::fallocate(fd_, FALLOC_FL_KEEP_SIZE, static_cast<off_t>(reserved_),
                    static_cast<off_t>(target - reserved_)) != 0) {
        preallocate_ = false;
        return;
    }
    reserved_ = target;
#endif
}

FileSink::~FileSink() {
    if (fd_ >= 0) Close();
}

bool FileSink::Write(std::span<const std::string_view> parts) {
    if (parts.size() > kMaxParts) return false;
    iovec* vector = vector_.data();
    std::size_t count = 0;
    std::uint64_t total = 0;
    for (const std::string_view part : parts) {
        if (part.empty()) continue;
        vector[count++] = {const_cast<char*>(part.data()), part.size()};
        total += part.size();
    }
    if (preallocate_ && written_ + total > reserved_) Reserve();
    iovec* next = vector;
    while (count > 0) {
        ssize_t written = ::writev(fd_, next, static_cast<int>(count));
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        // Only what arrived counts: Close cuts the file back to it, which a
        // failed write (a full disk, a file-size limit) must not lengthen.
        written_ += static_cast<std::uint64_t>(written);
        // A short write: skip what went out and go on with the rest.
        while (count > 0 && static_cast<std::size_t>(written) >= next->iov_len) {
            written -= static_cast<ssize_t>(next->iov_len);
            ++next;
            --count;
        }
        if (count > 0) {
            next->iov_base = static_cast<char*>(next->iov_base) + written;
            next->iov_len -= static_cast<std::size_t>(written);
        }
    }
    return true;
}

bool FileSink::Close() {
    const int fd = fd_;
    fd_ = -1;
    // Blocks reserved beyond the end go back; the file's size and content
    // are what was written either way.
    if (reserved_ > written_) {
        while (::ftruncate(fd, static_cast<off_t>(written_)) != 0 && errno == EINTR) {
        }
    }
    return ::close(fd) == 0;
}

TraceOutput::TraceOutput(ByteSink& sink, std::size_t capacity)
    : sink_(sink), buffer_(std::max(capacity, kMaxReserve)) {
    blocks_.reserve(kMaxBlocks);
    parts_.reserve(2 * kMaxBlocks + 1);
}

void TraceOutput::Put(std::string_view text) {
    while (!text.empty()) {
        if (used_ == buffer_.size()) Drain();
        const std::size_t part = std::min(text.size(), buffer_.size() - used_);
        std::memcpy(buffer_.data() + used_, text.data(), part);
        used_ += part;
        text.remove_prefix(part);
    }
}

void TraceOutput::PutNumber(std::int64_t value) {
    Commit(FormatDecimal(Reserve(24), value));
}

void TraceOutput::PutBlock(std::string_view block) {
    if (block.empty()) return;
    if (blocks_.size() == kMaxBlocks) {
        Put(block);
        return;
    }
    blocks_.push_back({used_, block});
}

void TraceOutput::Drain() {
    if ((used_ > 0 || !blocks_.empty()) && !failed_) {
        parts_.clear();
        std::size_t from = 0;
        for (const Block& block : blocks_) {
            parts_.emplace_back(buffer_.data() + from, block.after - from);
            parts_.push_back(block.text);
            from = block.after;
        }
        parts_.emplace_back(buffer_.data() + from, used_ - from);
        if (!sink_.Write(parts_)) failed_ = true;
    }
    used_ = 0;
    blocks_.clear();
}

}  // namespace jobshop
