// Whole trace files, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "TestSupport.h"
#include "driver/Run.h"
#include "heuristic/InsertionLoop.h"
#include "report/TraceOutput.h"
#include "report/TraceWriter.h"

namespace jobshop {
namespace {

using testing::LoadText;
using testing::ReadText;
using testing::RunInFolder;
using testing::TempFolder;
using testing::WriteText;

const std::string kStars(58, '*');

// Runs the whole program on `input` in a fresh folder; returns the trace.
std::string TraceOf(const std::string& input, const std::string& traceName) {
    TempFolder folder;
    WriteText(folder / "input.txt", input);
    const testing::RunResult run = RunInFolder(folder.path());
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.err, "");
    return ReadText(folder / traceName);
}

// Two jobs on two machines: 1 (machine 1, p 1) then 2 (machine 2, p 2);
// 3 (machine 2, p 3) then 4 (machine 1, p 4).
TEST(Trace, DemoInstanceByteForByte) {
    const std::string expected =
        "Nierosnace czasy wykonania:\n"
        "4(4)\t3(3)\t2(2)\t1(1)\t\n"
        "\n"
        "4\t0\t\n0\t0\t\n\n" +
        kStars +
        "\n\n"
        "4\t0\t\n3\t0\t\n\n" +
        kStars +
        "\n\n"
        "\nTopologicznie:\t1\t3\t2\t4\t\n\n"
        "Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n"
        "1\t1\t1\t2\t0\t0\t0\t1\t3\n"
        "2\t2\t2\t0\t1\t0\t0\t3\t2\n"
        "3\t2\t3\t4\t0\t0\t0\t3\t7\n"
        "4\t1\t4\t0\t3\t0\t0\t7\t4\n"
        "\n\n"
        "4\t0\t\n3\t2\t\n\n" +
        kStars +
        "\n\n"
        "\nTopologicznie:\t1\t3\t2\t4\t\n\n"
        "Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n"
        "1\t1\t1\t2\t0\t0\t0\t1\t3\n"
        "2\t2\t2\t0\t1\t0\t3\t5\t2\n"
        "3\t2\t3\t4\t0\t2\t0\t3\t7\n"
        "4\t1\t4\t0\t3\t0\t0\t7\t4\n"
        "\n\n"
        "1\t4\t\n3\t2\t\n\n" +
        kStars +
        "\n\n"
        "demo, permutacja koncowa PI:\n"
        "1\t4\t\n3\t2\t\n"
        "\nFunkcja celu Cmax = 7\n\n" +
        kStars + "\n\n";
    EXPECT_EQ(TraceOf("demo 2 2\n1 1 2 2\n2 3 1 4\n", "demo_krok_po_kroku.txt"), expected);
}

TEST(Trace, Ft06MatchesStoredTrace) {
    const std::string input = ReadText(testing::SourcePath("examples/ft06/input.txt"));
    const std::string expected = ReadText(testing::SourcePath("tests/golden/ft06.trace"));
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(TraceOf(input, "ft06_krok_po_kroku.txt"), expected);
}

TEST(Trace, SmallInstancesByteForByte) {
    struct Case {
        const char* input;
        const char* traceName;
        std::string expected;
    };
    const Case cases[] = {
        {"one 1 1 1 5", "one_krok_po_kroku.txt",
         "Nierosnace czasy wykonania:\n1(5)\t\n\n1\t\n\n" + kStars + "\n\n" +
             "one, permutacja koncowa PI:\n1\t\n\nFunkcja celu Cmax = 5\n\n" + kStars + "\n\n"},
        // No operations: no step section, no PI rows for zero machines.
        {"none 3 0", "none_krok_po_kroku.txt",
         "Nierosnace czasy wykonania:\n\n\nnone, permutacja koncowa PI:\n"
         "\nFunkcja celu Cmax = 0\n\n" +
             kStars + "\n\n"},
        // Zero jobs on two machines: two empty PI rows.
        {"nojobs 0 2", "nojobs_krok_po_kroku.txt",
         "Nierosnace czasy wykonania:\n\n\nnojobs, permutacja koncowa PI:\n\n\n"
         "\nFunkcja celu Cmax = 0\n\n" +
             kStars + "\n\n"},
        // Negative times print with a minus sign, and so do the heads and
        // tails they make negative. Both positions of operation 2 score -4;
        // the front one wins.
        {"negtab 2 1 1 -3 1 -4", "negtab_krok_po_kroku.txt",
         "Nierosnace czasy wykonania:\n1(-3)\t2(-4)\t\n\n"
         "1\t0\t\n\n" +
             kStars + "\n\n" +
             "\nTopologicznie:\t1\t2\t\n\n"
             "Lp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n"
             "1\t1\t-3\t0\t0\t0\t0\t-3\t-3\n"
             "2\t1\t-4\t0\t0\t0\t0\t-4\t-4\n\n\n"
             "2\t1\t\n\n" +
             kStars + "\n\n" +
             "negtab, permutacja koncowa PI:\n2\t1\t\n\nFunkcja celu Cmax = 0\n\n" + kStars +
             "\n\n"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.input);
        EXPECT_EQ(TraceOf(c.input, c.traceName), c.expected);
    }
}

// A machine that receives more operations than there are jobs shows only its
// first JobCount positions, in every block and in the closing section.
TEST(Trace, RevisitedMachineShowsOnlyJobCountPositions) {
    const std::string trace = TraceOf("revisit 2 2 1 4 1 3 1 2 2 5", "revisit_krok_po_kroku.txt");
    const std::string closing = "revisit, permutacja koncowa PI:\n3\t1\t\n4\t0\t\n";
    EXPECT_NE(trace.find(closing), std::string::npos);
    // The last step's block holds the same rows as the closing section.
    EXPECT_NE(trace.find("3\t1\t\n4\t0\t\n\n" + kStars + "\n\nrevisit,"), std::string::npos);
}

// A run replaces whatever file of that name was there: a longer one left by
// an earlier run, or a second run of the same instance, leaves exactly one
// trace behind.
TEST(Trace, RunReplacesAnEarlierLongerFile) {
    TempFolder folder;
    WriteText(folder / "input.txt", "twice 1 1 1 5");
    const std::string expected =
        "Nierosnace czasy wykonania:\n1(5)\t\n\n1\t\n\n" + kStars +
        "\n\ntwice, permutacja koncowa PI:\n1\t\n\nFunkcja celu Cmax = 5\n\n" + kStars + "\n\n";
    WriteText(folder / "twice_krok_po_kroku.txt", std::string(3 * expected.size(), 'x'));
    ASSERT_EQ(RunInFolder(folder.path()).status, 0);
    EXPECT_EQ(ReadText(folder / "twice_krok_po_kroku.txt"), expected);
    ASSERT_EQ(RunInFolder(folder.path()).status, 0);
    EXPECT_EQ(ReadText(folder / "twice_krok_po_kroku.txt"), expected);
}

// The flush points reach the sink as separate writes: a step on an occupied
// machine writes its topological line, the empty line after it, each PI row
// and the empty line after the block, each in one piece.
TEST(Trace, FlushPointsWriteWhatTheBufferHolds) {
    Model model = LoadText("demo 2 2\n1 1 2 2\n2 3 1 4\n");
    testing::RecordingSink sink;
    TraceOutput out(sink);
    TraceWriter trace(model, out);
    ASSERT_EQ(BuildSchedule(model, &trace), ScheduleOutcome::kComplete);
    out.Flush();
    const std::vector<std::string> expected = {
        "Nierosnace czasy wykonania:\n4(4)\t3(3)\t2(2)\t1(1)\t\n\n4\t0\t\n",
        "0\t0\t\n",
        "\n",
        kStars + "\n\n4\t0\t\n",
        "3\t0\t\n",
        "\n",
        kStars + "\n\n\nTopologicznie:\t1\t3\t2\t4\t\n",
        "\n",
    };
    ASSERT_GE(sink.writes.size(), expected.size());
    for (std::size_t w = 0; w < expected.size(); ++w) EXPECT_EQ(sink.writes[w], expected[w]);
    // Steps on empty machines write 3 times, steps on occupied ones 5 times;
    // the last separator goes out when the driver closes the file.
    EXPECT_EQ(sink.writes.size(), 3u + 3u + 5u + 5u + 1u);
}

}  // namespace
}  // namespace jobshop
