#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "report/TraceOutput.h"

namespace jobshop {

// A long text that the trace writes again and again with few changes (the
// rows of the table, the labels of the topological line): items 1 ... count,
// kept in chunks of consecutive items, each chunk one contiguous piece.
//
// Between two writings most items keep their text, and nearly all of those
// that change keep their length. Such an item is patched in place; a chunk is
// rebuilt only from its first item whose length changed. The chunks then go
// to the output in place, so unchanged text is never copied in user space.
//
// Each item's text lives in a slot of the caller's with at least Slot bytes
// of room: rebuilding copies whole slots, which beats copies of exact length.
template <std::size_t Slot>
class KeptText {
    static_assert(Slot >= 2 && Slot <= 255, "an item's length is kept in one byte");

  public:
    // Items 1 ... count in chunks of 2^chunkShift items; every chunk is built
    // afresh by the first Rebuild.
    void Reset(std::int32_t count, int chunkShift) {
        count_ = count;
        chunkShift_ = chunkShift;
        perChunk_ = std::int32_t{1} << chunkShift;
        const std::size_t chunks = count == 0 ? 0 : ChunkOf(count) + 1;
        capacity_ = static_cast<std::size_t>(perChunk_) * Slot;
        text_.assign(chunks * capacity_, 0);
        chunkEnd_.resize(chunks);
        for (std::size_t c = 0; c < chunks; ++c) chunkEnd_[c] = c * capacity_;
        dirtyFrom_.assign(chunks, 0);
        dirty_.clear();
        for (std::size_t c = 0; c < chunks; ++c) MarkDirty(c, First(c));
        offset_.assign(static_cast<std::size_t>(count) + 1, 0);
        length_.assign(static_cast<std::size_t>(count) + 1, 0);
    }

    // Item k now reads `length` bytes at `text`, which stays there until the
    // next Rebuild.
    void Set(std::int32_t k, const char* text, std::size_t length) {
        const std::size_t c = ChunkOf(k);
        if (dirtyFrom_[c] != 0 && dirtyFrom_[c] <= k) return;
        if (length == length_[k]) {
            std::memcpy(text_.data() + offset_[k], text, length);
        } else {
            MarkDirty(c, k);
        }
    }

    // Items k and on to the end of its chunk changed in any way: they are
    // rebuilt by the next Rebuild without being looked at one by one.
    void Invalidate(std::int32_t k) { MarkDirty(ChunkOf(k), k); }

    // Rebuilds what Set could not patch; item(k) returns item k's text as a
    // pointer to its slot and its length.
    template <class Item>
    void Rebuild(Item item) {
        for (const std::size_t c : dirty_) {
            const std::int32_t from = dirtyFrom_[c];
            const auto last = static_cast<std::int32_t>(
                std::min<std::int64_t>(std::int64_t{First(c)} + perChunk_ - 1, count_));
            char* text = text_.data();
            std::size_t at = from == First(c) ? c * capacity_ : offset_[from];
            for (std::int32_t k = from; k <= last; ++k) {
                const auto [slot, length] = item(k);
                offset_[k] = at;
                length_[k] = static_cast<std::uint8_t>(length);
                // Bytes copied past the item's end are overwritten by the
                // next item, or lie past the chunk's end, within its room.
                if (length <= Slot / 2) {
                    std::memcpy(text + at, slot, Slot / 2);
                } else {
                    std::memcpy(text + at, slot, Slot);
                }
                at += length;
            }
            chunkEnd_[c] = at;
            dirtyFrom_[c] = 0;
        }
        dirty_.clear();
    }

    // Hands every chunk to `out` in place; nothing may change them until the
    // output has handed them over.
    void PutTo(TraceOutput& out) const {
        for (std::size_t c = 0; c < chunkEnd_.size(); ++c) {
            const std::size_t start = c * capacity_;
            out.PutBlock({text_.data() + start, chunkEnd_[c] - start});
        }
    }

  private:
    std::size_t ChunkOf(std::int32_t k) const {
        return static_cast<std::size_t>(k - 1) >> chunkShift_;
    }
    std::int32_t First(std::size_t c) const { return static_cast<std::int32_t>(c) * perChunk_ + 1; }
    void MarkDirty(std::size_t c, std::int32_t k) {
        if (dirtyFrom_[c] == 0) dirty_.push_back(c);
        if (dirtyFrom_[c] == 0 || k < dirtyFrom_[c]) dirtyFrom_[c] = k;
    }

    std::int32_t count_ = 0;
    int chunkShift_ = 0;
    std::int32_t perChunk_ = 1;
    std::size_t capacity_ = 0;             // bytes of room per chunk
    std::vector<char> text_;               // chunk c starts at c * capacity_
    std::vector<std::size_t> chunkEnd_;    // where each chunk's text ends
    std::vector<std::int32_t> dirtyFrom_;  // first item to rebuild; 0: none
    std::vector<std::size_t> dirty_;       // chunks to rebuild
    std::vector<std::size_t> offset_;      // where item k starts in text_
    std::vector<std::uint8_t> length_;     // item k's length
};

}  // namespace jobshop
