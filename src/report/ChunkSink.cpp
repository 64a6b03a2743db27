#include "report/ChunkSink.h"

#include <algorithm>
#include <cstring>

namespace jobshop {

ChunkSink::ChunkSink(std::size_t chunkSize, Take take)
    : chunk_(std::max<std::size_t>(chunkSize, 1)), take_(std::move(take)) {}

bool ChunkSink::HandOver() {
    if (used_ > 0 && !failed_) failed_ = !take_(std::string_view(chunk_.data(), used_));
    used_ = 0;
    return !failed_;
}

bool ChunkSink::Write(std::span<const std::string_view> parts) {
    for (std::string_view part : parts) {
        while (!part.empty()) {
            if (used_ == chunk_.size() && !HandOver()) return false;
            const std::size_t size = std::min(part.size(), chunk_.size() - used_);
            std::memcpy(chunk_.data() + used_, part.data(), size);
            used_ += size;
            part.remove_prefix(size);
        }
    }
    return !failed_;
}

bool ChunkSink::Finish() {
    return HandOver();
}

}  // namespace jobshop
