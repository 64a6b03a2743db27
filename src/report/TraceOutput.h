#pragma once

#include <sys/uio.h>

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "model/Status.h"

namespace jobshop {

// The failure reported when the trace file cannot be created or written.
Status TraceWriteFailure(const std::string& traceFileName);

// Where the bytes of a trace end up. Write is called only when the output
// buffer is full or at a flush point, so a virtual call per write is cheap.
class ByteSink {
  public:
    virtual ~ByteSink() = default;
    // Writes the parts one after the other, as one write where the sink
    // allows, or reports failure.
    virtual bool Write(std::span<const std::string_view> parts) = 0;
};

// A file in the file system, written with one system call per Write (of at
// most kMaxParts parts).
class FileSink final : public ByteSink {
  public:
    enum class Mode { kTruncate, kAppend };
    // The most parts one Write takes: the system's limit of one writev.
    static constexpr std::size_t kMaxParts = 1024;

    // nullptr if the file cannot be opened for writing.
    static std::unique_ptr<FileSink> Open(const std::filesystem::path& path, Mode mode);
    ~FileSink() override;

    bool Write(std::span<const std::string_view> parts) override;
    // Closes the file; false if the system reports an error (for example a
    // delayed write error).
    bool Close();

  private:
    FileSink(int fd, bool preallocate);
    void Reserve();

    int fd_;
    std::vector<iovec> vector_;  // the parts of a Write, sized once
    // A file written from its start reserves disk blocks ahead of what it
    // holds, so the file system need not allocate them write by write and
    // again when the file is closed; Close gives back what was not used.
    bool preallocate_;
    std::uint64_t written_ = 0;
    std::uint64_t reserved_ = 0;
};

// A buffered text output. Bytes reach the sink when the buffer is full and at
// every Flush, which hands over exactly what the buffer holds in one Write.
// The first failed Write makes the output failed; everything after it is
// dropped.
//
// Large blocks that the caller keeps anyway can be put without copying them:
// they are handed to the sink in place, between the bytes buffered before and
// after them, in the same Write.
class TraceOutput {
  public:
    static constexpr std::size_t kDefaultCapacity = 256 * 1024;
    // Room any single Reserve may ask for.
    static constexpr std::size_t kMaxReserve = 4096;

    explicit TraceOutput(ByteSink& sink, std::size_t capacity = kDefaultCapacity);
    TraceOutput(const TraceOutput&) = delete;
    TraceOutput& operator=(const TraceOutput&) = delete;

    void Put(std::string_view text);
    void Put(char c) {
        if (used_ == buffer_.size()) Drain();
        buffer_[used_++] = c;
    }
    // An integer in decimal, a minus sign for negatives, nothing else.
    void PutNumber(std::int64_t value);

    // Returns room for at least `size` bytes (size <= kMaxReserve); Commit
    // tells how many of them were used.
    char* Reserve(std::size_t size) {
        if (buffer_.size() - used_ < size) Drain();
        return buffer_.data() + used_;
    }
    void Commit(char* end) { used_ = static_cast<std::size_t>(end - buffer_.data()); }

    // Puts `block` without copying it; its bytes must stay valid and unchanged
    // until the next Flush (or a full buffer), which hands them to the sink.
    // Past kMaxBlocks blocks waiting, a block is copied like any text.
    void PutBlock(std::string_view block);
    static constexpr std::size_t kMaxBlocks = 400;  // 2 * 400 + 1 parts per Write

    // True while blocks wait to be handed over: their bytes must not change.
    bool HoldsBlocks() const { return !blocks_.empty(); }

    // A flush point: hands the buffered bytes to the sink (nothing if empty).
    void Flush() { Drain(); }
    bool failed() const { return failed_; }

  private:
    void Drain();

    ByteSink& sink_;
    std::vector<char> buffer_;
    std::size_t used_ = 0;
    // Blocks put in place, not yet handed over, each with the number of
    // buffered bytes that precede it; and the parts of one Write.
    struct Block {
        std::size_t after;
        std::string_view text;
    };
    std::vector<Block> blocks_;
    std::vector<std::string_view> parts_;
    bool failed_ = false;
};

}  // namespace jobshop
