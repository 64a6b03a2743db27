#include "report/KeptText.h"

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "TestSupport.h"

namespace jobshop {
namespace {

// Random edits of a kept text, patched in place, invalidated across chunk
// bounds or left alone, must always read as the plain concatenation of the
// items: for small and large chunks, and items that change their length.
TEST(KeptText, AlwaysReadsAsTheItemsInOrder) {
    constexpr std::size_t kSlot = 16;
    std::mt19937 rng(5);
    for (const int shift : {0, 1, 3, 6}) {
        SCOPED_TRACE(shift);
        const std::int32_t count = 1 + static_cast<std::int32_t>(rng() % 150);
        std::vector<std::string> items(static_cast<std::size_t>(count) + 1);
        std::vector<char> slots((static_cast<std::size_t>(count) + 1) * kSlot, 0);
        auto slot = [&](std::int32_t k) {
            return slots.data() + static_cast<std::size_t>(k) * kSlot;
        };
        auto setItem = [&](std::int32_t k) {
            items[k] = std::string(1 + rng() % (kSlot - 1), static_cast<char>('a' + rng() % 26));
            std::copy(items[k].begin(), items[k].end(), slot(k));
        };
        for (std::int32_t k = 1; k <= count; ++k) setItem(k);
        KeptText<kSlot> text;
        text.Reset(count, shift);
        for (int round = 0; round < 40; ++round) {
            for (int edit = 0; edit < 10; ++edit) {
                const auto k = static_cast<std::int32_t>(1 + rng() % count);
                setItem(k);
                if (rng() % 3 == 0) {
                    const auto to = static_cast<std::int32_t>(k + 1 + rng() % (count - k + 1));
                    for (std::int32_t j = k + 1; j < to; ++j) setItem(j);
                    text.Invalidate(k, to);
                } else {
                    text.Set(k, slot(k), items[k].size());
                }
            }
            text.Rebuild([&](std::int32_t k) { return std::pair(slot(k), items[k].size()); });
            testing::RecordingSink sink;
            TraceOutput out(sink);
            text.PutTo(out);
            out.Flush();
            std::string expected;
            for (std::int32_t k = 1; k <= count; ++k) expected += items[k];
            ASSERT_EQ(sink.writes.size(), 1u);
            ASSERT_EQ(sink.writes[0], expected) << "round " << round;
        }
    }
}

}  // namespace
}  // namespace jobshop
