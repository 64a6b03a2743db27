#include "report/TraceOutput.h"

#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>

namespace jobshop {

std::unique_ptr<FileSink> FileSink::Open(const std::filesystem::path& path, Mode mode) {
    const int flags = O_WRONLY | O_CREAT | O_CLOEXEC | (mode == Mode::kAppend ? O_APPEND : O_TRUNC);
    const int fd = ::open(path.c_str(), flags, 0666);
    if (fd < 0) return nullptr;
    return std::unique_ptr<FileSink>(new FileSink(fd));
}

FileSink::~FileSink() {
    if (fd_ >= 0) ::close(fd_);
}

bool FileSink::Write(const char* data, std::size_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd_, data, size);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data += written;
        size -= static_cast<std::size_t>(written);
    }
    return true;
}

bool FileSink::Close() {
    const int fd = fd_;
    fd_ = -1;
    return ::close(fd) == 0;
}

TraceOutput::TraceOutput(ByteSink& sink, std::size_t capacity)
    : sink_(sink), buffer_(std::max(capacity, kMaxReserve)) {}

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
    char* start = Reserve(24);
    Commit(std::to_chars(start, start + 24, value).ptr);
}

void TraceOutput::Drain() {
    if (used_ > 0 && !failed_ && !sink_.Write(buffer_.data(), used_)) failed_ = true;
    used_ = 0;
}

}  // namespace jobshop
