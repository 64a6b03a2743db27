// Whole trace files, byte for byte.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "RandomInstance.h"
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

// The trace format written the plain way: every line formatted afresh from
// the model and the step, nothing kept from the step before.
class ReferenceTrace final : public StepObserver {
  public:
    void OrderFixed(const Model& model) override {
        text += "Nierosnace czasy wykonania:\n";
        for (Operation t = 1; t <= model.OpCount; ++t) {
            const Operation k = model.InsertionOrder[t];
            text += std::to_string(k) + "(" + std::to_string(model.p[k]) + ")\t";
        }
        text += "\n\n";
    }
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override {
        text += "\nTopologicznie:\t";
        for (Operation r = 1; r <= model.OpCount; ++r)
            text += std::to_string(step.TopoOrder[r]) + "\t";
        text += "\n\nLp\tM\tp\tNO\tPO\tNM\tPM\tR\tQ\n";
        for (Operation k = 1; k <= model.OpCount; ++k) {
            for (const std::int64_t field :
                 {std::int64_t{k}, std::int64_t{model.M[k]}, std::int64_t{model.p[k]},
                  std::int64_t{model.NO[k]}, std::int64_t{model.PO[k]}, std::int64_t{model.NM[k]},
                  std::int64_t{model.PM[k]}, step.R[k]}) {
                text += std::to_string(field) + "\t";
            }
            text += std::to_string(step.Q[k]) + "\n";
        }
        text += "\n\n";
    }
    void StepPlaced(const Model& model, const PlacedStep&) override {
        MachineRows(model);
        text += "\n" + kStars + "\n\n";
    }
    void Closing(const Model& model) {
        text += model.InstanceName + ", permutacja koncowa PI:\n";
        MachineRows(model);
        text += "\nFunkcja celu Cmax = " + std::to_string(model.Cmax) + "\n\n" + kStars + "\n\n";
    }

    std::string text;

  private:
    void MachineRows(const Model& model) {
        for (std::int32_t i = 1; i <= model.MachineCount; ++i) {
            for (std::int32_t j = 1; j <= model.JobCount; ++j) {
                text += std::to_string(j <= model.Placed(i) ? model.PI(i)[j] : 0) + "\t";
            }
            text += "\n";
        }
    }
};

// The trace writer keeps the text of the table and the topological line in
// chunks and patches what changed; on instances of several chunks (more
// than 256 operations), with revisits, ties and times of 0 or below, it
// writes what the plain writer does, byte for byte. This stands for the
// benchmarks' whole traces in the quick test run.
TEST(Trace, KeptTextWritesWhatAPlainWriterWrites) {
    std::mt19937 rng(2026);
    const testing::InstanceShape shapes[] = {
        {.jobs = 30, .machines = 10},
        {.jobs = 45, .machines = 12, .minTime = 1, .maxTime = 4, .revisits = true},
        {.jobs = 70, .machines = 6, .minTime = 90, .maxTime = 12000},
        {.jobs = 40, .machines = 8, .minTime = -2, .maxTime = 3, .revisits = true},
    };
    for (const testing::InstanceShape& shape : shapes) {
        SCOPED_TRACE(shape.jobs * shape.machines);
        const std::string input = testing::RandomInstanceText(rng, shape);
        Model kept = LoadText(input);
        Model plain = kept;
        testing::RecordingSink sink;
        TraceOutput out(sink);
        TraceWriter writer(kept, out);
        const ScheduleOutcome outcome = BuildSchedule(kept, &writer);
        ReferenceTrace reference;
        ASSERT_EQ(BuildSchedule(plain, &reference), outcome);
        if (outcome == ScheduleOutcome::kComplete) {
            writer.WriteClosingSection();
            reference.Closing(plain);
        }
        out.Flush();
        std::string written;
        for (const std::string& w : sink.writes) written += w;
        ASSERT_EQ(written.size(), reference.text.size());
        EXPECT_TRUE(written == reference.text);
    }
}

}  // namespace
}  // namespace jobshop
