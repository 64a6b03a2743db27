#include "report/TraceOutput.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "report/ChunkSink.h"

#include "TestSupport.h"

namespace jobshop {
namespace {

// Blocks go out in place, between what was buffered before and after them,
// in the one write of the next flush; a full buffer hands them over first, so
// the bytes keep their order. Past the most blocks one write can carry, a
// block is copied instead, and the flush is still one write.
TEST(TraceOutput, BlocksKeepTheirPlaceInTheStream) {
    testing::RecordingSink sink;
    TraceOutput out(sink, TraceOutput::kMaxReserve);
    const std::string first = "[first block]";
    const std::string second = "[second block]";
    out.Put("a");
    out.PutBlock(first);
    out.Put("b");
    out.PutBlock(second);
    out.Put("c");
    out.Flush();
    out.Flush();  // nothing buffered: no write
    const std::string filler(TraceOutput::kMaxReserve, 'x');
    out.PutBlock(first);
    out.Put(filler);
    out.Put("y");  // the buffer is full: the block and the filler go out
    out.Flush();
    std::string many;
    for (std::size_t b = 0; b < TraceOutput::kMaxBlocks + 3; ++b) {
        const std::string& block = b % 2 ? first : second;
        out.PutBlock(block);
        many += block;
    }
    EXPECT_TRUE(out.HoldsBlocks());
    out.Flush();
    EXPECT_FALSE(out.HoldsBlocks());
    ASSERT_EQ(sink.writes.size(), 4u);
    EXPECT_EQ(sink.writes[0], "a" + first + "b" + second + "c");
    EXPECT_EQ(sink.writes[1], first + filler);
    EXPECT_EQ(sink.writes[2], "y");
    EXPECT_EQ(sink.writes[3], many);
}

// Writes of any sizes, parts larger than a chunk included, come out as full
// chunks of one size in their order, the last one partial, with no empty
// chunk; a refused hand-over fails that write and every later one.
TEST(ChunkSink, GathersWritesIntoFullChunksInOrder) {
    std::mt19937 random(17);
    for (const std::size_t chunkSize : {1u, 7u, 64u, 1000u}) {
        std::vector<std::string> chunks;
        ChunkSink sink(chunkSize, [&](std::string_view chunk) {
            chunks.emplace_back(chunk);
            return true;
        });
        std::string written;
        for (int w = 0; w < 50; ++w) {
            std::vector<std::string> parts(random() % 4);
            for (std::string& part : parts) {
                part.assign(random() % (3 * chunkSize), static_cast<char>('a' + random() % 26));
            }
            const std::vector<std::string_view> views(parts.begin(), parts.end());
            ASSERT_TRUE(sink.Write(views));
            for (const std::string& part : parts) written += part;
        }
        ASSERT_TRUE(sink.Finish());
        std::string joined;
        for (std::size_t c = 0; c < chunks.size(); ++c) {
            EXPECT_FALSE(chunks[c].empty());
            if (c + 1 < chunks.size()) {
                EXPECT_EQ(chunks[c].size(), chunkSize);
            }
            joined += chunks[c];
        }
        EXPECT_EQ(joined, written) << "chunks of " << chunkSize;
    }

    int handed = 0;
    ChunkSink refusing(4, [&](std::string_view) { return ++handed < 2; });
    const std::string_view ten[] = {"0123456789"};
    EXPECT_FALSE(refusing.Write(ten));
    EXPECT_FALSE(refusing.Write(ten));
    EXPECT_FALSE(refusing.Finish());
    EXPECT_EQ(handed, 2);
}

// Disk blocks reserved ahead of the writes are given back at close: the
// file holds exactly what was written and little more than its size.
TEST(FileSink, WritesExactlyAndGivesBackReservedBlocks) {
    testing::TempFolder folder;
    const auto path = folder / "trace.txt";
    std::string expected;
    {
        auto file = FileSink::Open(path, FileSink::Mode::kTruncate);
        ASSERT_TRUE(file);
        TraceOutput out(*file, 4096);
        for (int i = 0; i < 20000; ++i) {
            const std::string line = std::to_string(i) + "\tline of the trace\n";
            expected += line;
            out.Put(line);
            if (i % 7 == 0) out.Flush();
        }
        out.Flush();
        ASSERT_FALSE(out.failed());
        ASSERT_TRUE(file->Close());
    }
    {
        auto file = FileSink::Open(path, FileSink::Mode::kAppend);
        ASSERT_TRUE(file);
        TraceOutput out(*file);
        out.Put("closing\n");
        expected += "closing\n";
        out.Flush();
        ASSERT_TRUE(file->Close());
    }
    EXPECT_EQ(testing::ReadText(path), expected);
    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_LE(static_cast<std::uint64_t>(info.st_blocks) * 512, expected.size() + 64 * 1024);
}

// A run killed midway cannot give back what its file reserved: at any
// moment the file has at most 2 MiB allocated past its end.
TEST(FileSink, ReservesLittleAheadOfWhatItHolds) {
    testing::TempFolder folder;
    const auto path = folder / "trace.txt";
    auto file = FileSink::Open(path, FileSink::Mode::kTruncate);
    ASSERT_TRUE(file);
    TraceOutput out(*file, 64 * 1024);
    const std::string line(1000, 'x');
    std::uint64_t mostAhead = 0;
    for (int i = 0; i < 8000; ++i) {
        out.Put(line);
        out.Flush();
        struct stat info {};
        ASSERT_EQ(::stat(path.c_str(), &info), 0);
        const auto allocated = static_cast<std::uint64_t>(info.st_blocks) * 512;
        const auto size = static_cast<std::uint64_t>(info.st_size);
        if (allocated > size) mostAhead = std::max(mostAhead, allocated - size);
    }
    EXPECT_LE(mostAhead, 2u << 20);
    EXPECT_TRUE(file->Close());
}

// A new trace empties an older, longer file as soon as it is opened, not only
// when it is closed: a run that dies midway leaves a prefix of its own trace,
// never the old trace's tail behind it.
TEST(FileSink, NewTraceEmptiesAnOlderFileAtOnce) {
    testing::TempFolder folder;
    const auto path = folder / "trace.txt";
    testing::WriteText(path, std::string(100000, 'x'));
    auto file = FileSink::Open(path, FileSink::Mode::kTruncate);
    ASSERT_TRUE(file);
    TraceOutput out(*file);
    out.Put("new\n");
    out.Flush();
    EXPECT_EQ(testing::ReadText(path), "new\n");
    EXPECT_TRUE(file->Close());
    EXPECT_EQ(testing::ReadText(path), "new\n");
}

}  // namespace
}  // namespace jobshop
