#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "report/TraceOutput.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace jobshop {

// Copies N bytes with plain 16-byte moves. A fixed-size std::memcpy of 64
// bytes and more may become `rep movsq`, whose start-up cost is several times
// that of the copy itself on the machines measured.
template <std::size_t N>
inline void CopyFixed(char* to, const char* from) {
#if defined(__SSE2__)
    if constexpr (N >= 16) {
        static_assert(N % 16 == 0);
        for (std::size_t i = 0; i < N; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
        }
        return;
    }
#endif
    std::memcpy(to, from, N);
}

// Copies n bytes (not overlapping) without a call and without `rep movs`,
// which a std::memcpy of a length known to be small may also become: 16-byte
// moves, the last one ending exactly at n, or for fewer than 16 bytes two
// moves of the largest fitting size.
inline void CopyExact(char* to, const char* from, std::size_t n) {
    auto copyPair = [&](auto word) {
        constexpr std::size_t kSize = sizeof word;
        decltype(word) head, tail;
        std::memcpy(&head, from, kSize);
        std::memcpy(&tail, from + n - kSize, kSize);
        std::memcpy(to, &head, kSize);
        std::memcpy(to + n - kSize, &tail, kSize);
    };
#if defined(__SSE2__)
    if (n >= 16) {
        for (std::size_t i = 0; i + 16 < n; i += 16) {
            _mm_storeu_si128(reinterpret_cast<__m128i*>(to + i),
                             _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + i)));
        }
        _mm_storeu_si128(reinterpret_cast<__m128i*>(to + n - 16),
                         _mm_loadu_si128(reinterpret_cast<const __m128i*>(from + n - 16)));
        return;
    }
#else
    if (n >= 16) {
        std::memcpy(to, from, n);
        return;
    }
#endif
    if (n >= 8) {
        copyPair(std::uint64_t{});
    } else if (n >= 4) {
        copyPair(std::uint32_t{});
    } else if (n >= 2) {
        copyPair(std::uint16_t{});
    } else if (n == 1) {
        *to = *from;
    }
}

// A long text that the trace writes again and again with few changes (the
// rows of the table, the labels of the topological line): items 1 ... count,
// kept in chunks of consecutive items, each chunk one contiguous piece.
//
// Between two writings most items keep their text, and nearly all of those
// that change keep their length. Such an item is patched in place; one whose
// length changed moves the rest of its chunk; items invalidated as a stretch
// are rebuilt from their slots. The chunks then go to the output in place, so
// unchanged text is never copied in user space.
//
// Each item's text lives in a slot of the caller's with at least Slot bytes
// of room: rebuilding copies whole slots, which beats copies of exact length.
template <std::size_t Slot>
class KeptText {
    static_assert(Slot % 16 == 0 && Slot <= 255, "an item's length is kept in one byte");

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
        movedIn_.assign(chunks, 0);
        writing_ = 1;
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
        if (length != length_[k]) {
            // One move per chunk and writing: a second new length in the
            // same chunk has it rebuilt from there instead, so that no
            // writing costs more than twice the chunk, however many rows
            // change their length at once.
            if (movedIn_[c] == writing_) {
                MarkDirty(c, k);
                return;
            }
            movedIn_[c] = writing_;
            Resize(c, k, length);
        }
        CopyExact(text_.data() + offset_[k], text, length);
    }

    // Items from ... to-1 changed in any way: they are rebuilt by the next
    // Rebuild without being looked at one by one.
    void Invalidate(std::int32_t from, std::int32_t to) {
        MarkDirty(ChunkOf(from), from);
        for (std::size_t c = ChunkOf(from) + 1; c <= ChunkOf(to - 1); ++c) MarkDirty(c, First(c));
    }

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
                    CopyFixed<Slot / 2>(text + at, slot);
                } else {
                    CopyFixed<Slot>(text + at, slot);
                }
                at += length;
            }
            chunkEnd_[c] = at;
            dirtyFrom_[c] = 0;
        }
        dirty_.clear();
        ++writing_;
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
    // Makes room for item k's new length by moving the rest of its chunk:
    // one move of the bytes behind it, not a copy of every item from its
    // slot, so that chunks can be long (few pieces for the kernel to copy)
    // and still cheap to patch.
    void Resize(std::size_t c, std::int32_t k, std::size_t length) {
        const std::size_t oldEnd = offset_[k] + length_[k];
        const std::size_t newEnd = offset_[k] + length;
        std::memmove(text_.data() + newEnd, text_.data() + oldEnd, chunkEnd_[c] - oldEnd);
        chunkEnd_[c] = chunkEnd_[c] - oldEnd + newEnd;
        length_[k] = static_cast<std::uint8_t>(length);
        const auto last = static_cast<std::int32_t>(
            std::min<std::int64_t>(std::int64_t{First(c)} + perChunk_ - 1, count_));
        std::size_t* offset = offset_.data();
        for (std::int32_t j = k + 1; j <= last; ++j) offset[j] = offset[j] - oldEnd + newEnd;
    }

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
    std::vector<std::uint64_t> movedIn_;   // the writing a chunk last moved text in
    std::uint64_t writing_ = 1;            // counts Rebuilds: one per writing
    std::vector<std::size_t> offset_;      // where item k starts in text_
    std::vector<std::uint8_t> length_;     // item k's length
};

}  // namespace jobshop
