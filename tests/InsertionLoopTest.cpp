#include "heuristic/InsertionLoop.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <string>
#include <vector>

#include "RandomInstance.h"
#include "TestSupport.h"
#include "heuristic/GraphEvaluation.h"

namespace jobshop {
namespace {

using testing::LoadText;

std::vector<Operation> Row(const Model& model, std::int32_t machine) {
    const Operation* row = model.PI(machine);
    return {row + 1, row + 1 + model.PlacedCount[machine]};
}

// ---------------------------------------------------------------------------
// A reference that shares no code with the program: the evaluation as plain
// repeated level scans over all operations, and the insertion loop written
// out directly on vectors of machine sequences.

struct ReferenceGraph {
    std::vector<Operation> topoOrder;  // ranks 1 ... n
    std::vector<Time> R, Q;
    bool acyclic = true;
};

ReferenceGraph ReferenceEvaluate(const Model& m) {
    const Operation n = m.OpCount;
    ReferenceGraph g{std::vector<Operation>(1, 0), std::vector<Time>(n + 2, 0),
                     std::vector<Time>(n + 2, 0)};
    std::vector<int> open(n + 2, 0);  // predecessors not yet removed; -1 = taken
    for (Operation k = 1; k <= n; ++k) open[k] = (m.PO[k] > 0) + (m.PM[k] > 0);
    while (static_cast<Operation>(g.topoOrder.size()) - 1 < n) {
        std::vector<Operation> level;
        for (Operation k = 1; k <= n; ++k) {
            if (open[k] != 0) continue;
            level.push_back(k);
            g.R[k] = std::max(g.R[m.PO[k]], g.R[m.PM[k]]) + m.p[k];
        }
        if (level.empty()) {
            g.acyclic = false;
            return g;
        }
        for (const Operation k : level) {
            open[k] = -1;
            g.topoOrder.push_back(k);
            if (m.NM[k] > 0) --open[m.NM[k]];
            if (m.NO[k] > 0) --open[m.NO[k]];
        }
    }
    for (Operation r = n; r >= 1; --r) {
        const Operation k = g.topoOrder[r];
        g.Q[k] = std::max(g.Q[m.NO[k]], g.Q[m.NM[k]]) + m.p[k];
    }
    return g;
}

// Start times of the finished schedule by relaxing job and machine arcs
// until nothing changes; empty if the arcs form a cycle.
std::vector<Time> ReferenceStartTimes(const Model& m) {
    std::vector<std::pair<Operation, Operation>> arcs;
    for (Operation k = 1; k <= m.OpCount; ++k) {
        if (m.NO[k] > 0) arcs.emplace_back(k, m.NO[k]);
    }
    for (std::int32_t i = 1; i <= m.MachineCount; ++i) {
        const std::vector<Operation> row = Row(m, i);
        for (std::size_t j = 1; j < row.size(); ++j) arcs.emplace_back(row[j - 1], row[j]);
    }
    std::vector<Time> start(m.OpCount + 1, 0);
    for (Operation round = 0; round <= m.OpCount + 1; ++round) {
        bool changed = false;
        for (const auto& [a, b] : arcs) {
            if (start[a] + m.p[a] > start[b]) {
                start[b] = start[a] + m.p[a];
                changed = true;
            }
        }
        if (!changed) return start;
    }
    return {};
}

using Scores = std::vector<std::pair<std::int32_t, Time>>;

struct ReferenceStep {
    Operation op;
    Scores scores;  // position, estimate; in the order tried
    std::int32_t chosen;
};

// The program's evaluation of the same graph must agree with the reference.
// `graph` lives through the whole run, as in the program, so it builds on
// its previous evaluation.
void ExpectSameEvaluation(const Model& m, GraphEvaluation& graph, const ReferenceGraph& expected) {
    ASSERT_TRUE(graph.EvaluateGraph(m));
    graph.ComputeTails(m);
    const auto end = static_cast<std::size_t>(m.OpCount) + 1;
    EXPECT_EQ(std::vector<Operation>(graph.TopoOrder().begin(), graph.TopoOrder().begin() + end),
              expected.topoOrder);
    EXPECT_EQ(std::vector<Time>(graph.R().begin(), graph.R().begin() + end),
              std::vector<Time>(expected.R.begin(), expected.R.begin() + end));
    EXPECT_EQ(std::vector<Time>(graph.Q().begin(), graph.Q().begin() + end),
              std::vector<Time>(expected.Q.begin(), expected.Q.begin() + end));
}

// The insertion loop written out on plain sequences; fills `model`'s links
// and PI so the result can be compared field by field. With `compare`, every
// step's evaluation is also checked against the program's.
std::vector<ReferenceStep> ReferenceBuild(Model& m, bool& cycle, bool compare = false) {
    ClearSchedule(m);
    GraphEvaluation graph(m.OpCount);
    std::vector<std::vector<Operation>> seq(m.MachineCount + 1);
    std::vector<ReferenceStep> steps;
    cycle = false;
    auto relink = [&](std::int32_t i) {
        for (std::size_t j = 0; j < seq[i].size(); ++j) {
            m.PM[seq[i][j]] = j > 0 ? seq[i][j - 1] : 0;
            m.NM[seq[i][j]] = j + 1 < seq[i].size() ? seq[i][j + 1] : 0;
        }
        std::copy(seq[i].begin(), seq[i].end(), m.PI(i) + 1);
        m.PlacedCount[i] = static_cast<std::int32_t>(seq[i].size());
    };
    for (Operation t = 1; t <= m.OpCount; ++t) {
        const Operation op = m.InsertionOrder[t];
        const std::int32_t i = m.M[op];
        ReferenceStep step{op, {}, 1};
        if (!seq[i].empty()) {
            const ReferenceGraph g = ReferenceEvaluate(m);
            if (!g.acyclic) {
                cycle = true;
                return steps;
            }
            if (compare) ExpectSameEvaluation(m, graph, g);
            const auto c = static_cast<std::int32_t>(seq[i].size());
            Time best = 0;
            for (std::int32_t j = c + 1; j >= 1; --j) {
                const Operation u = j > 1 ? seq[i][j - 2] : 0;
                const Operation v = j <= c ? seq[i][j - 1] : 0;
                const Time score =
                    std::max(g.R[m.PO[op]], g.R[u]) + m.p[op] + std::max(g.Q[m.NO[op]], g.Q[v]);
                step.scores.emplace_back(j, score);
                if (j == c + 1 || score <= best) {
                    best = score;
                    step.chosen = j;
                }
            }
        }
        seq[i].insert(seq[i].begin() + (step.chosen - 1), op);
        relink(i);
        steps.push_back(step);
    }
    const ReferenceGraph g = ReferenceEvaluate(m);
    if (!g.acyclic) cycle = true;
    for (Operation k = 1; k <= m.OpCount; ++k) m.Cmax = std::max(m.Cmax, g.R[k]);
    return steps;
}

// ---------------------------------------------------------------------------

// What the loop published of one evaluated step; operations 1 ... OpCount.
struct RecordedStep {
    std::int32_t t;
    std::vector<Time> estimates;
    std::int32_t position;
    std::vector<Operation> topoOrder;
    std::vector<Time> R, Q;
};

class StepRecorder final : public StepObserver {
  public:
    void StepEvaluated(const Model& model, const EvaluatedStep& step) override {
        const auto n = static_cast<std::size_t>(model.OpCount);
        evaluated.push_back({step.t,
                             {step.estimates.begin(), step.estimates.end()},
                             step.position,
                             {step.TopoOrder.begin() + 1, step.TopoOrder.begin() + 1 + n},
                             {step.R.begin() + 1, step.R.begin() + 1 + n},
                             {step.Q.begin() + 1, step.Q.begin() + 1 + n}});
    }
    void StepPlaced(const Model&, const PlacedStep& step) override { placed.push_back(step); }
    void Finished(const Model&, Time cmax) override { makespan = cmax; }

    std::vector<RecordedStep> evaluated;
    std::vector<PlacedStep> placed;
    Time makespan = -1;
};

// Three jobs on two machines. InsertionOrder is 4, 3, 5, 6, 1, 2.
const char* const kThreeJobs = "ex 3 2  2 1 1 1  2 5 1 6  2 4 1 2";

TEST(InsertionLoop, ChoosesThePositionsOfTheWorkedExample) {
    Model model = LoadText(kThreeJobs);
    bool cycle = false;
    const std::vector<ReferenceStep> steps = ReferenceBuild(model, cycle);
    ASSERT_FALSE(cycle);
    const std::vector<Scores> expected = {{},
                                          {},
                                          {{2, 11}, {1, 15}},
                                          {{2, 13}, {1, 17}},
                                          {{3, 11}, {2, 12}, {1, 14}},
                                          {{3, 14}, {2, 14}, {1, 19}}};
    const std::vector<std::int32_t> chosen = {1, 1, 2, 2, 3, 2};
    ASSERT_EQ(steps.size(), 6u);
    for (std::size_t t = 0; t < steps.size(); ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_EQ(steps[t].scores, expected[t]);
        EXPECT_EQ(steps[t].chosen, chosen[t]);
    }

    // The program itself, watched step by step, against the same figures.
    Model built = LoadText(kThreeJobs);
    StepRecorder recorder;
    ASSERT_EQ(BuildSchedule(built, &recorder), ScheduleOutcome::kComplete);
    ASSERT_EQ(recorder.placed.size(), 6u);
    for (std::size_t t = 0; t < 6; ++t) {
        SCOPED_TRACE(t + 1);
        EXPECT_EQ(recorder.placed[t].t, static_cast<std::int32_t>(t) + 1);
        EXPECT_EQ(recorder.placed[t].op, built.InsertionOrder[t + 1]);
        EXPECT_EQ(recorder.placed[t].position, chosen[t]);
    }
    // Steps 1 and 2 open their machines and are not evaluated.
    ASSERT_EQ(recorder.evaluated.size(), 4u);
    for (std::size_t e = 0; e < 4; ++e) {
        const RecordedStep& step = recorder.evaluated[e];
        SCOPED_TRACE(step.t);
        Scores tried;
        for (auto b = static_cast<std::int32_t>(step.estimates.size()); b >= 1; --b) {
            tried.emplace_back(b, step.estimates[b - 1]);
        }
        EXPECT_EQ(tried, expected[step.t - 1]);
        EXPECT_EQ(step.position, chosen[step.t - 1]);
    }
    const RecordedStep& last = recorder.evaluated.back();
    EXPECT_EQ(last.topoOrder, (std::vector<Operation>{3, 4, 5, 1, 6, 2}));
    EXPECT_EQ(last.R, (std::vector<Time>{10, 11, 5, 11, 9, 13}));
    EXPECT_EQ(last.Q, (std::vector<Time>{2, 1, 13, 8, 6, 2}));
    EXPECT_EQ(recorder.makespan, 14);
}

TEST(InsertionLoop, BuildsTheWorkedExampleSchedule) {
    Model model = LoadText(kThreeJobs);
    ASSERT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
    EXPECT_EQ(Row(model, 1), (std::vector<Operation>{4, 2, 6}));
    EXPECT_EQ(Row(model, 2), (std::vector<Operation>{3, 5, 1}));
    EXPECT_EQ(model.Cmax, 14);
    // Links mirror the sequences, sentinels stay zero.
    EXPECT_EQ(model.PM[2], 4);
    EXPECT_EQ(model.NM[2], 6);
    EXPECT_EQ(model.PM[4], 0);
    EXPECT_EQ(model.NM[1], 0);
    EXPECT_EQ(model.PI(1)[0], 0);
    EXPECT_EQ(model.PI(1)[4], 0);
}

TEST(InsertionLoop, EdgeCases) {
    struct Case {
        const char* text;
        std::vector<std::vector<Operation>> rows;
        Time cmax;
    };
    const Case cases[] = {
        {"empty 0 3", {{}, {}, {}}, 0},
        {"nomachines 4 0", {}, 0},
        // One job on distinct machines: every step opens a machine.
        {"onejob 1 3 2 4 3 5 1 6", {{3}, {1}, {2}}, 15},
        // One machine: every position scores alike, so each goes to the front.
        {"onemachine 3 1 1 2 1 7 1 5", {{1, 3, 2}}, 14},
        // The second operation on a machine ties front and back: front wins.
        {"tie 2 1 1 3 1 3", {{2, 1}}, 6},
        // Job 1 visits machine 1 twice, so its row holds three operations;
        // operation 3 goes in front (2 + max(5, 7) = 9 beats 11 and 14).
        {"revisit 2 2 1 4 1 3 1 2 2 5", {{3, 1, 2}, {4}}, 9},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        Model model = LoadText(c.text);
        ASSERT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
        ASSERT_EQ(static_cast<std::size_t>(model.MachineCount), c.rows.size());
        for (std::int32_t i = 1; i <= model.MachineCount; ++i) {
            EXPECT_EQ(model.Placed(i) == 0 ? std::vector<Operation>{} : Row(model, i),
                      c.rows[i - 1]);
        }
        EXPECT_EQ(model.Cmax, c.cmax);
    }
}

std::string RandomInstance(std::mt19937& rng, bool revisits, std::int32_t minTime) {
    std::uniform_int_distribution<std::int32_t> jobs(1, 7), machines(1, 5);
    return testing::RandomInstanceText(rng, {.jobs = jobs(rng),
                                             .machines = machines(rng),
                                             .minTime = minTime,
                                             .maxTime = 9,
                                             .revisits = revisits,
                                             .name = "rnd"});
}

// Random instances: the program agrees with the reference on every step's
// evaluation, every sequence and Cmax, and its schedule passes an
// independent check.
TEST(InsertionLoop, RandomInstancesMatchReferenceAndAreFeasible) {
    std::mt19937 rng(20261208);
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomInstance(rng, round % 4 == 3, 1);
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        ASSERT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
        Model reference = LoadText(text);
        bool cycle = false;
        ReferenceBuild(reference, cycle, /*compare=*/true);
        ASSERT_FALSE(cycle);
        EXPECT_EQ(model.Cmax, reference.Cmax);

        const std::vector<Time> start = ReferenceStartTimes(model);
        ASSERT_FALSE(start.empty()) << "machine sequences close a cycle";
        Time makespan = 0;
        for (Operation k = 1; k <= model.OpCount; ++k) {
            makespan = std::max(makespan, start[k] + model.p[k]);
            if (model.NO[k] > 0) {
                EXPECT_LE(start[k] + model.p[k], start[model.NO[k]]);
            }
        }
        EXPECT_EQ(model.Cmax, makespan);
        for (std::int32_t i = 1; i <= model.MachineCount; ++i) {
            const std::vector<Operation> row =
                model.Placed(i) ? Row(model, i) : std::vector<Operation>{};
            EXPECT_EQ(row, reference.Placed(i) ? Row(reference, i) : std::vector<Operation>{});
            std::vector<Operation> expected;
            for (Operation k = 1; k <= model.OpCount; ++k) {
                if (model.M[k] == i) expected.push_back(k);
            }
            std::vector<Operation> sorted = row;
            std::sort(sorted.begin(), sorted.end());
            EXPECT_EQ(sorted, expected) << "machine " << i;
            for (std::size_t j = 1; j < row.size(); ++j) {
                EXPECT_LE(start[row[j - 1]] + model.p[row[j - 1]], start[row[j]]);
            }
        }
    }
}

// With times of 0 and below a tie can close a cycle; the program must then
// stop exactly where the reference finds one, and otherwise agree with it.
TEST(InsertionLoop, NonPositiveTimesEitherMatchReferenceOrStopOnACycle) {
    std::mt19937 rng(7);
    int cycles = 0;
    for (int round = 0; round < 400; ++round) {
        const std::string text = RandomInstance(rng, round % 2 == 1, -2);
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        const ScheduleOutcome outcome = BuildSchedule(model);
        Model reference = LoadText(text);
        bool cycle = false;
        ReferenceBuild(reference, cycle);
        EXPECT_EQ(outcome == ScheduleOutcome::kCycle, cycle);
        if (cycle) {
            ++cycles;
        } else {
            EXPECT_EQ(model.Cmax, reference.Cmax);
        }
    }
    EXPECT_GT(cycles, 0) << "the random instances never exercised a cycle";
}

}  // namespace
}  // namespace jobshop
