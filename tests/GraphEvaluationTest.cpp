#include "heuristic/GraphEvaluation.h"

#include <gtest/gtest.h>

#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "RandomInstance.h"
#include "TestSupport.h"
#include "heuristic/InsertionLoop.h"

namespace jobshop {
namespace {

using testing::LoadText;

std::vector<Time> Values(std::span<const Time> table, std::int32_t count) {
    return {table.begin() + 1, table.begin() + 1 + count};
}
std::vector<Operation> Ranks(const GraphEvaluation& graph, std::int32_t count) {
    return {graph.TopoOrder().begin() + 1, graph.TopoOrder().begin() + 1 + count};
}
template <class T>
std::vector<T> All(std::span<const T> table) {
    return {table.begin(), table.end()};
}

void Place(Model& model, std::int32_t machine, std::initializer_list<Operation> sequence) {
    std::int32_t position = 1;
    for (const Operation op : sequence) CommitOperation(model, op, machine, position++);
}

// Job 1: operation 1 (machine 1, p 3), operation 2 (machine 2, p 2).
// Job 2: operation 3 (machine 2, p 4), operation 4 (machine 1, p 1).
// Operations 3 and 1 open their machines; 2 and 4 are then rated.
TEST(GraphEvaluation, SmallScheduleStepByStep) {
    Model model = LoadText("ge 2 2 1 3 2 2 2 4 1 1");
    ClearSchedule(model);
    Place(model, 2, {3});
    Place(model, 1, {1});
    GraphEvaluation graph(model.OpCount);

    // Operation 2 is freed only when the first level is removed, so it
    // follows 3 although its number is lower.
    ASSERT_TRUE(graph.EvaluateGraph(model));
    graph.ComputeTails(model);
    EXPECT_EQ(Ranks(graph, 4), (std::vector<Operation>{1, 3, 2, 4}));
    EXPECT_EQ(Values(graph.R(), 4), (std::vector<Time>{3, 5, 4, 5}));
    EXPECT_EQ(Values(graph.Q(), 4), (std::vector<Time>{5, 2, 5, 1}));
    EXPECT_EQ(graph.InsertionEstimate(model, 2, 0, 3), 10);  // max(3,0)+2+max(0,5)
    EXPECT_EQ(graph.InsertionEstimate(model, 2, 3, 0), 6);   // max(3,4)+2+max(0,0)
    std::vector<Time> estimates;
    EXPECT_EQ(ChoosePosition(model, graph, 2, 2, estimates), 2);
    EXPECT_EQ(estimates, (std::vector<Time>{10, 6}));
    CommitOperation(model, 2, 2, 2);

    ASSERT_TRUE(graph.EvaluateGraph(model));
    graph.ComputeTails(model);
    EXPECT_EQ(Ranks(graph, 4), (std::vector<Operation>{1, 3, 2, 4}));
    EXPECT_EQ(Values(graph.R(), 4), (std::vector<Time>{3, 6, 4, 5}));
    EXPECT_EQ(Values(graph.Q(), 4), (std::vector<Time>{5, 2, 6, 1}));
    EXPECT_EQ(graph.InsertionEstimate(model, 4, 0, 1), 10);
    EXPECT_EQ(graph.InsertionEstimate(model, 4, 1, 0), 5);
    EXPECT_EQ(ChoosePosition(model, graph, 4, 1, estimates), 2);
    EXPECT_EQ(estimates, (std::vector<Time>{10, 5}));
    CommitOperation(model, 4, 1, 2);

    EXPECT_EQ(graph.EvaluateMakespan(model), Time{6});
    EXPECT_EQ(Ranks(graph, 4), (std::vector<Operation>{1, 3, 2, 4}));
    EXPECT_EQ(Values(graph.R(), 4), (std::vector<Time>{3, 6, 4, 5}));
    EXPECT_EQ(graph.R()[0], 0);
    EXPECT_EQ(graph.Q()[0], 0);
}

TEST(GraphEvaluation, WithoutMachineArcsOrdersByPositionInJob) {
    Model model = LoadText("jobs 3 3  1 1 2 2 3 3  1 4 2 5 3 6  1 7 2 8 3 9");
    ClearSchedule(model);
    GraphEvaluation graph(model.OpCount);
    ASSERT_TRUE(graph.EvaluateGraph(model));
    graph.ComputeTails(model);
    EXPECT_EQ(Ranks(graph, 9), (std::vector<Operation>{1, 4, 7, 2, 5, 8, 3, 6, 9}));
    EXPECT_EQ(Values(graph.R(), 9), (std::vector<Time>{1, 3, 6, 4, 9, 15, 7, 15, 24}));
    EXPECT_EQ(Values(graph.Q(), 9), (std::vector<Time>{6, 5, 3, 15, 11, 6, 24, 17, 9}));
}

// Operation 4 starts its job but waits behind 3 on machine 3, which puts it
// and the rest of its job below the whole first job.
TEST(GraphEvaluation, MachineArcDelaysAJobStart) {
    Model model = LoadText("lv 2 3  1 1 2 1 3 1  3 1 1 1 2 1");
    ClearSchedule(model);
    Place(model, 3, {3, 4});
    GraphEvaluation graph(model.OpCount);
    ASSERT_TRUE(graph.EvaluateGraph(model));
    EXPECT_EQ(Ranks(graph, 6), (std::vector<Operation>{1, 2, 3, 4, 5, 6}));
    EXPECT_EQ(Values(graph.R(), 6), (std::vector<Time>{1, 2, 3, 4, 5, 6}));
}

TEST(GraphEvaluation, MakespanIsLargestHeadAndNeverNegative) {
    Model single = LoadText("one 1 1 1 7");
    ClearSchedule(single);
    GraphEvaluation graph(1);
    EXPECT_EQ(graph.EvaluateMakespan(single), Time{7});

    Model negative = LoadText("neg 1 2 1 -5 2 -1");
    ClearSchedule(negative);
    GraphEvaluation negativeGraph(2);
    EXPECT_EQ(negativeGraph.EvaluateMakespan(negative), Time{0});
    // A missing machine predecessor reads as R[0] = 0, so the second head is
    // max(-5, 0) - 1.
    EXPECT_EQ(Values(negativeGraph.R(), 2), (std::vector<Time>{-5, -1}));
}

// Heads are 64-bit: a chain of the largest times does not wrap around.
TEST(GraphEvaluation, LongChainOfLargestTimesDoesNotOverflow) {
    Model model = LoadText("big 1 3 1 2147483647 2 2147483647 3 2147483647");
    ClearSchedule(model);
    GraphEvaluation graph(3);
    EXPECT_EQ(graph.EvaluateMakespan(model), Time{3} * 2147483647);
}

TEST(GraphEvaluation, ReportsACycle) {
    // Job 1 runs 1 then 2, job 2 runs 3 then 4; machine arcs 2 -> 3 and
    // 4 -> 1 close the loop 1 -> 2 -> 3 -> 4 -> 1.
    Model model = LoadText("cyc 2 2  1 1 2 1  2 1 1 1");
    ClearSchedule(model);
    Place(model, 2, {2, 3});
    Place(model, 1, {4, 1});
    GraphEvaluation graph(model.OpCount);
    EXPECT_FALSE(graph.EvaluateGraph(model));
    EXPECT_FALSE(graph.EvaluateMakespan(model).has_value());
}

// One evaluation object follows a schedule through arbitrary changes of the
// machine links (insertions anywhere, cleared machines, whole sequences
// rebuilt) and must always agree with a fresh evaluation of the same graph.
TEST(GraphEvaluation, FollowsAnyChangeOfLinksLikeAFreshEvaluation) {
    std::mt19937 rng(99);
    for (int round = 0; round < 60; ++round) {
        // Every fifth instance spans several of the chunks in which links
        // are compared.
        const int jobs = round % 5 == 4 ? 25 + round % 7 : 2 + round % 7;
        const int machines = 1 + round % 5 + (round % 5 == 4 ? 3 : 0);
        const std::string text = testing::RandomInstanceText(
            rng, {.jobs = jobs, .machines = machines, .maxTime = 9, .name = "rewire"});
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        ClearSchedule(model);
        GraphEvaluation followed(model.OpCount);
        // What the previous evaluation showed, to check that every operation
        // whose links, R, Q or Level moved since is among the changed ones.
        std::vector<Time> shownR, shownQ;
        std::vector<std::int32_t> shownLevel;
        std::vector<Operation> shownNM, shownPM;
        auto check = [&] {
            GraphEvaluation fresh(model.OpCount);
            ASSERT_TRUE(fresh.EvaluateGraph(model));
            fresh.ComputeTails(model);
            ASSERT_TRUE(followed.EvaluateGraph(model));
            followed.ComputeTails(model);
            EXPECT_EQ(All(followed.TopoOrder()), All(fresh.TopoOrder()));
            EXPECT_EQ(All(followed.R()), All(fresh.R()));
            EXPECT_EQ(All(followed.Q()), All(fresh.Q()));
            EXPECT_EQ(All(followed.Level()), All(fresh.Level()));
            if (const auto changed = followed.ChangedOperations()) {
                std::vector<char> named(model.OpCount + 2, 0);
                for (const Operation k : *changed) {
                    EXPECT_FALSE(named[k]) << "operation " << k << " named twice";
                    named[k] = 1;
                }
                for (Operation k = 1; k <= model.OpCount; ++k) {
                    if (named[k]) continue;
                    EXPECT_EQ(followed.R()[k], shownR[k]) << k;
                    EXPECT_EQ(followed.Q()[k], shownQ[k]) << k;
                    EXPECT_EQ(followed.Level()[k], shownLevel[k]) << k;
                    EXPECT_EQ(model.NM[k], shownNM[k]) << k;
                    EXPECT_EQ(model.PM[k], shownPM[k]) << k;
                }
            }
            shownR = All(followed.R());
            shownQ = All(followed.Q());
            shownLevel = All(followed.Level());
            shownNM = model.NM;
            shownPM = model.PM;
        };
        // A random interleaving of the jobs ranks every operation after its
        // job predecessor; machine sequences that follow the ranks cannot
        // close a cycle. Operations go in at random, each where its rank puts
        // it, so insertions land anywhere in a sequence. Every few steps a
        // machine is cleared and refilled.
        std::vector<std::int32_t> rank(model.OpCount + 1);
        {
            std::vector<int> next(jobs, 0);
            std::vector<int> open(jobs);
            std::iota(open.begin(), open.end(), 0);
            for (std::int32_t r = 1; r <= model.OpCount; ++r) {
                const auto pick =
                    std::uniform_int_distribution<std::size_t>(0, open.size() - 1)(rng);
                const int j = open[pick];
                rank[j * machines + ++next[j]] = r;
                if (next[j] == machines) open.erase(open.begin() + static_cast<long>(pick));
            }
        }
        std::vector<Operation> arrival(model.OpCount);
        std::iota(arrival.begin(), arrival.end(), 1);
        std::shuffle(arrival.begin(), arrival.end(), rng);
        check();
        int steps = 0;
        for (const Operation k : arrival) {
            const std::int32_t i = model.M[k];
            std::int32_t b = 1;
            while (b <= model.PlacedCount[i] && rank[model.PI(i)[b]] < rank[k]) ++b;
            CommitOperation(model, k, i, b);
            check();
            if (++steps % 5 == 0) {
                std::vector<Operation> saved(model.PI(i) + 1,
                                             model.PI(i) + 1 + model.PlacedCount[i]);
                for (const Operation o : saved) model.NM[o] = model.PM[o] = 0;
                std::fill(model.PI(i) + 1, model.PI(i) + 1 + model.PlacedCount[i], 0);
                model.PlacedCount[i] = 0;
                check();
                for (std::size_t j = 0; j < saved.size(); ++j) {
                    CommitOperation(model, saved[j], i, static_cast<std::int32_t>(j) + 1);
                }
                check();
            }
        }
    }
}

}  // namespace
}  // namespace jobshop
