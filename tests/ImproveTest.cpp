// The tabu search, its trace and the branch and bound against an evaluation
// of their own: every schedule they show or report is evaluated again here
// from its machine sequences alone.
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <optional>
#include <random>
#include <sstream>

#include "RandomInstance.h"
#include "TestSupport.h"
#include "driver/ImproveCommand.h"
#include "heuristic/BranchAndBound.h"
#include "heuristic/Dispatching.h"
#include "heuristic/InsertionLoop.h"
#include "heuristic/ScheduleCheck.h"
#include "heuristic/TabuSearch.h"
#include "report/SearchRecorder.h"
#include "report/SearchTraceWriter.h"
#include "report/TraceOutput.h"

namespace jobshop {
namespace {

using testing::LoadText;
using testing::SourcePath;
using Rows = std::vector<std::vector<Operation>>;  // per machine 1 ... MachineCount

Rows RowsOf(const Model& m) {
    Rows rows(m.MachineCount);
    for (std::int32_t i = 1; i <= m.MachineCount; ++i) {
        for (std::int32_t j = 1; j <= m.Placed(i); ++j) rows[i - 1].push_back(m.PI(i)[j]);
    }
    return rows;
}

struct Reference {
    bool acyclic = false;
    std::vector<Time> R, Q;
    Time cmax = 0;
};

// Heads and tails of the schedule `rows` make, by Kahn's algorithm over the
// job arcs and the rows' arcs, a stack instead of the program's queue.
Reference Evaluate(const Model& m, const Rows& rows) {
    const auto n = static_cast<std::size_t>(m.OpCount) + 1;
    std::vector<Operation> before(n, 0), after(n, 0);
    for (const auto& row : rows) {
        for (std::size_t j = 1; j < row.size(); ++j) {
            before[row[j]] = row[j - 1];
            after[row[j - 1]] = row[j];
        }
    }
    std::vector<int> open(n, 0);
    std::vector<Operation> ready, order;
    for (Operation k = 1; k <= m.OpCount; ++k) {
        open[k] = (m.PO[k] != 0) + (before[k] != 0);
        if (open[k] == 0) ready.push_back(k);
    }
    Reference ref;
    ref.R.assign(n, 0);
    ref.Q.assign(n, 0);
    while (!ready.empty()) {
        const Operation k = ready.back();
        ready.pop_back();
        order.push_back(k);
        ref.R[k] = std::max(ref.R[m.PO[k]], ref.R[before[k]]) + m.p[k];
        ref.cmax = std::max(ref.cmax, ref.R[k]);
        for (const Operation s : {m.NO[k], after[k]}) {
            if (s != 0 && --open[s] == 0) ready.push_back(s);
        }
    }
    ref.acyclic = order.size() == static_cast<std::size_t>(m.OpCount);
    for (auto k = order.rbegin(); k != order.rend(); ++k) {
        ref.Q[*k] = std::max(ref.Q[m.NO[*k]], ref.Q[after[*k]]) + m.p[*k];
    }
    return ref;
}

// The rows after a move, done by hand on copies.
Rows Moved(const Model& m, Rows rows, const CandidateMove& move) {
    auto& row = rows[m.M[move.a] - 1];
    const auto a = std::find(row.begin(), row.end(), move.a);
    const auto b = std::find(row.begin(), row.end(), move.b);
    if (move.kind == MoveKind::kBackward) {
        std::rotate(a, b, b + 1);
    } else {
        std::rotate(a, a + 1, b + 1);
    }
    return rows;
}

// Checks every iteration against the reference: the heads and tails shown,
// the critical path, every move's exact makespan, its bound, its status and
// the choice, and the schedule after each move.
class Referee final : public SearchObserver {
  public:
    explicit Referee(const Model& m) : positive_(true) {
        for (Operation k = 1; k <= m.OpCount; ++k) positive_ = positive_ && m.p[k] > 0;
    }
    bool WantsExactMoves() const override { return true; }

    void SearchStarted(const Model& m, const SearchStart&) override { start = RowsOf(m); }

    void IterationEvaluated(const Model& m, const SearchIteration& it) override {
        const Rows rows = RowsOf(m);
        const Reference ref = Evaluate(m, rows);
        ASSERT_TRUE(ref.acyclic);
        EXPECT_EQ(it.cmax, ref.cmax);
        for (Operation k = 1; k <= m.OpCount; ++k) {
            ASSERT_EQ(it.R[k], ref.R[k]) << k;
            ASSERT_EQ(it.Q[k], ref.Q[k]) << k;
        }
        // A longest path: from time 0 to Cmax, each operation starting
        // where the one before it ends, along a job or a machine arc.
        const auto& ops = it.path->ops;
        if (!ops.empty()) {
            EXPECT_EQ(ref.R[ops.front()] - m.p[ops.front()], 0);
            EXPECT_EQ(ref.R[ops.back()], ref.cmax);
        }
        for (std::size_t i = 1; i < ops.size(); ++i) {
            EXPECT_TRUE(m.PO[ops[i]] == ops[i - 1] || m.PM[ops[i]] == ops[i - 1]);
            EXPECT_EQ(ref.R[ops[i - 1]], ref.R[ops[i]] - m.p[ops[i]]);
        }
        std::int32_t best = -1;
        bool anyAllowed = false;
        for (std::size_t i = 0; i < it.moves.size(); ++i) {
            const CandidateMove& move = it.moves[i];
            SCOPED_TRACE("move " + std::to_string(move.a) + "," + std::to_string(move.b) +
                         " kind " + std::to_string(static_cast<int>(move.kind)));
            ASSERT_TRUE(move.exact);
            const Reference after = Evaluate(m, Moved(m, rows, move));
            EXPECT_EQ(move.status == MoveStatus::kCycle, !after.acyclic);
            if (!after.acyclic) continue;
            EXPECT_EQ(move.cmax, after.cmax);
            if (positive_) {
                EXPECT_LE(move.bound, move.cmax);
            }
            if (move.status == MoveStatus::kAspirated) {
                EXPECT_LT(move.cmax, it.best);
            }
            if (move.status == MoveStatus::kTabu) {
                EXPECT_GE(move.cmax, it.best);
            }
            const bool allowed =
                move.status == MoveStatus::kAllowed || move.status == MoveStatus::kAspirated;
            anyAllowed = anyAllowed || allowed;
            if (allowed && (best < 0 || move.cmax < it.moves[best].cmax)) {
                best = static_cast<std::int32_t>(i);
            }
        }
        if (it.rule == ChoiceRule::kBest) {
            EXPECT_EQ(it.chosen, best);
        }
        if (it.rule == ChoiceRule::kOldestTabu) {
            EXPECT_FALSE(anyAllowed);
        }
        ++iterations;
    }

    void MoveApplied(const Model& m, const AppliedMove& applied) override {
        const Reference ref = Evaluate(m, RowsOf(m));
        EXPECT_EQ(applied.move.cmax, ref.cmax);
        EXPECT_LE(applied.best, applied.move.cmax);
    }

    void Restarted(const Model& m, const SearchRestart& restart) override {
        EXPECT_EQ(restart.cmax, Evaluate(m, RowsOf(m)).cmax);
        ++restarts;
    }

    Rows start;
    int iterations = 0;
    int restarts = 0;

  private:
    bool positive_;
};

std::string RandomText(std::mt19937& rng, std::int32_t minTime, bool revisits) {
    std::uniform_int_distribution<int> size(2, 6);
    return testing::RandomInstanceText(rng, {.jobs = size(rng),
                                             .machines = size(rng),
                                             .minTime = minTime,
                                             .maxTime = 9,
                                             .revisits = revisits,
                                             .name = "rnd"});
}

// Random instances, with times from 1, and from -2 up (zero and negative
// times, where no bound holds and moves may close cycles), some of them
// visiting machines twice. The search starts from the insertion's very
// sequences, every iteration agrees with the reference, and the schedule
// it reports is the reference's and never longer than the insertion's.
TEST(TabuSearch, EveryIterationAgreesWithAnIndependentEvaluation) {
    std::mt19937 rng(2027);
    int restarts = 0;
    int nonPositive = 0;
    for (int round = 0; round < 60; ++round) {
        const std::string text = RandomText(rng, round % 3 == 2 ? -2 : 1, round % 4 == 1);
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        if (BuildSchedule(model) != ScheduleOutcome::kComplete) continue;
        const Rows insertion = RowsOf(model);
        const Time insertionCmax = model.Cmax;
        Referee referee(model);
        const SearchResult result = ImproveSchedule(model,
                                                    {.seed = static_cast<std::uint64_t>(round),
                                                     .iterations = 400,
                                                     .seconds = {},
                                                     .stallLimit = 25},
                                                    &referee);
        EXPECT_EQ(referee.start, insertion);
        EXPECT_EQ(result.start, insertionCmax);
        EXPECT_LE(result.best, insertionCmax);
        EXPECT_EQ(model.Cmax, result.best);
        EXPECT_EQ(CheckedMakespan(model), result.best);
        const Reference ref = Evaluate(model, RowsOf(model));
        EXPECT_TRUE(ref.acyclic);
        EXPECT_EQ(ref.cmax, result.best);
        restarts += referee.restarts;
        nonPositive += round % 3 == 2 && referee.iterations > 0;
    }
    EXPECT_GT(restarts, 0) << "no phase ended: neither random starts nor relinking were seen";
    EXPECT_GT(nonPositive, 5) << "too few searches with times of 0 and below";
}

// Improves `model`'s schedule, its search's trace added to `trace` when
// one is given.
void Search(Model& model, const SearchSettings& settings, std::string* trace) {
    testing::RecordingSink sink;
    TraceOutput out(sink);
    SearchTraceWriter writer(model, out);
    ImproveSchedule(model, settings, trace ? &writer : nullptr);
    out.Flush();
    if (trace) {
        for (const std::string& write : sink.writes) *trace += write;
    }
}

// The trace changes nothing: with it (every move evaluated exactly) and
// without, a seed and an iteration limit give the same schedule, and the
// same trace twice.
TEST(TabuSearch, SameSeedSameRunWithOrWithoutTrace) {
    const std::string text = testing::ReadText(SourcePath("benchmarks/la16.txt"));
    const auto run = [&text](bool traced, std::string& trace) {
        Model model = LoadText(text);
        EXPECT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
        Search(model, {.seed = 5, .iterations = 3000, .seconds = {}, .stallLimit = 100},
               traced ? &trace : nullptr);
        return model.PIStorage;
    };
    std::string first, second, none;
    const std::vector<Operation> traced = run(true, first);
    EXPECT_EQ(run(true, second), traced);
    EXPECT_EQ(run(false, none), traced);
    EXPECT_EQ(first, second);
    EXPECT_NE(first.find("Nowy start: w drodze od harmonogramu elitarnego"), std::string::npos);
}

std::vector<std::string> Cells(const std::string& line) {
    std::vector<std::string> cells(1);
    for (const char c : line) {
        if (c == '\t') {
            cells.emplace_back();
        } else {
            cells.back() += c;
        }
    }
    return cells;
}

// "a-b", "a>b" or "b<a" as the trace names a move.
CandidateMove ParseMove(const std::string& name) {
    CandidateMove move;
    const std::size_t at = name.find_first_of("-<>");
    const Operation x = std::stoi(name.substr(0, at));
    const Operation y = std::stoi(name.substr(at + 1));
    move.kind = name[at] == '-'   ? MoveKind::kSwap
                : name[at] == '>' ? MoveKind::kForward
                                  : MoveKind::kBackward;
    move.a = name[at] == '<' ? y : x;
    move.b = name[at] == '<' ? x : y;
    return move;
}

// A recording cut at its limit holds whole iterations only, each one's
// makespan after its move being the next one's makespan, and the cut
// changes nothing of the run.
TEST(SearchRecorder, StopsAtItsLimitWithoutChangingTheRun) {
    const std::string text = testing::ReadText(SourcePath("benchmarks/la16.txt"));
    const SearchSettings settings{.seed = 3, .iterations = 2000, .seconds = {}, .stallLimit = 40};
    Model plain = LoadText(text);
    ASSERT_EQ(BuildSchedule(plain), ScheduleOutcome::kComplete);
    ImproveSchedule(plain, settings);
    Model recorded = LoadText(text);
    ASSERT_EQ(BuildSchedule(recorded), ScheduleOutcome::kComplete);
    SearchRecorder recorder(200'000);
    ImproveSchedule(recorded, settings, &recorder);
    EXPECT_EQ(recorded.PIStorage, plain.PIStorage);

    const SearchRecording& steps = recorder.recording();
    EXPECT_FALSE(steps.complete);
    ASSERT_GT(steps.iterations.size(), 100u);
    ASSERT_LT(steps.iterations.size(), 2000u);
    std::size_t restart = 0;
    for (std::size_t i = 0; i + 1 < steps.iterations.size(); ++i) {
        const SearchRecording::Iteration& it = steps.iterations[i];
        EXPECT_EQ(it.iteration, static_cast<std::int64_t>(i) + 1);
        ASSERT_GE(it.chosen, 0);
        const bool restarted =
            restart < steps.restarts.size() && steps.restarts[restart].iteration == it.iteration;
        const Time next = restarted ? steps.restarts[restart++].cmax : it.after;
        EXPECT_EQ(steps.iterations[i + 1].cmax, next);
    }
    EXPECT_GT(restart, 0u);
}

// The trace as a student reads it: each move of an iteration's table, made
// by hand on the sequences the trace showed last, gives the Cmax its row
// says (or closes a cycle where it says "cykl"), and the sequences after
// the chosen move give "Cmax po ruchu".
TEST(SearchTrace, EveryMoveItShowsHasTheMakespanItSays) {
    std::mt19937 rng(99);
    for (const std::string& text :
         {testing::ReadText(SourcePath("benchmarks/ft06.txt")), RandomText(rng, 0, true)}) {
        Model model = LoadText(text);
        ASSERT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
        std::string trace;
        Search(model, {.seed = 1, .iterations = 120, .seconds = {}, .stallLimit = 40}, &trace);
        std::istringstream lines(trace);
        std::string line;
        Rows shown;  // the sequences the trace showed last
        std::optional<Time> afterMove;
        int moves = 0;
        while (std::getline(lines, line)) {
            if (line == "PI:") {
                shown.assign(model.MachineCount, {});
                for (auto& row : shown) {
                    std::getline(lines, line);
                    std::istringstream cells(line);
                    for (Operation k; cells >> k;) row.push_back(k);
                }
                if (afterMove) {
                    EXPECT_EQ(Evaluate(model, shown).cmax, *afterMove);
                }
                afterMove.reset();
            } else if (line.starts_with("Cmax po ruchu = ")) {
                afterMove = std::stoll(line.substr(16));
            } else if (line == "Ruch\tBlok\tOszacowanie\tCmax\tStatus") {
                while (std::getline(lines, line) && !line.empty()) {
                    const std::vector<std::string> cells = Cells(line);
                    ASSERT_EQ(cells.size(), 5u) << line;
                    const Reference after =
                        Evaluate(model, Moved(model, shown, ParseMove(cells[0])));
                    EXPECT_EQ(cells[4] == "cykl", !after.acyclic) << line;
                    if (after.acyclic) {
                        EXPECT_EQ(cells[3], std::to_string(after.cmax)) << line;
                    }
                    ++moves;
                }
            }
        }
        EXPECT_GT(moves, 100);
    }
}

// Every combination of machine orders of a tiny instance, tried one by
// one: the shortest schedule.
Time EnumeratedOptimum(const Model& m) {
    Rows rows(m.MachineCount);
    for (Operation k = 1; k <= m.OpCount; ++k) rows[m.M[k] - 1].push_back(k);
    std::optional<Time> best;
    const std::function<void(std::size_t)> vary = [&](std::size_t machine) {
        if (machine == rows.size()) {
            const Reference ref = Evaluate(m, rows);
            if (ref.acyclic && (!best || ref.cmax < *best)) best = ref.cmax;
            return;
        }
        std::sort(rows[machine].begin(), rows[machine].end());
        do {
            vary(machine + 1);
        } while (std::next_permutation(rows[machine].begin(), rows[machine].end()));
    };
    vary(0);
    return *best;
}

// Tiny instances (times from 0, some jobs visiting a machine twice): the
// branch and bound proves what trying every order finds, from the
// insertion's schedule.
TEST(BranchAndBound, ProvesWhatTryingEveryOrderFinds) {
    std::mt19937 rng(31);
    for (int round = 0; round < 40; ++round) {
        const std::string text = testing::RandomInstanceText(rng, {.jobs = 3,
                                                                   .machines = 3,
                                                                   .minTime = 0,
                                                                   .maxTime = 9,
                                                                   .revisits = round % 2 == 1,
                                                                   .name = "tiny"});
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        if (BuildSchedule(model) != ScheduleOutcome::kComplete) continue;
        const ExactResult exact = ProveOptimum(model, {});
        EXPECT_EQ(exact.stop, ExactStop::kProven);
        EXPECT_EQ(exact.best, EnumeratedOptimum(model));
        EXPECT_EQ(exact.lowerBound, exact.best);
        EXPECT_EQ(CheckedMakespan(model), exact.best);
    }
}

// The optima of bounds.tsv for the exercise sizes, proven after a short
// search; past its node limit, the bound and the schedule it keeps are
// labelled as not proven and still bracket the optimum.
TEST(BranchAndBound, ProvesTheKnownOptima) {
    struct Case {
        const char* name;
        Time optimum;
        std::int64_t nodes;
        bool proven;
    };
    for (const Case& c : {Case{"ft06", 55, 1'000'000, true}, Case{"la01", 666, 1'000'000, true},
                          Case{"la02", 655, 1'000'000, true}, Case{"la03", 597, 1'000'000, true},
                          Case{"la04", 590, 1'000'000, true}, Case{"la05", 593, 1'000'000, true},
                          Case{"ft10", 930, 2'000, false}}) {
        SCOPED_TRACE(c.name);
        Model model =
            LoadText(testing::ReadText(SourcePath("benchmarks/" + std::string(c.name) + ".txt")));
        ASSERT_EQ(BuildSchedule(model), ScheduleOutcome::kComplete);
        ImproveSchedule(model, {.seed = 1, .iterations = 2000, .seconds = {}, .stallLimit = 5000});
        const ExactResult exact = ProveOptimum(model, {.nodes = c.nodes, .seconds = {}});
        EXPECT_EQ(exact.stop == ExactStop::kProven, c.proven);
        ASSERT_TRUE(exact.lowerBound);
        EXPECT_LE(*exact.lowerBound, c.optimum);
        EXPECT_GE(exact.best, c.optimum);
        if (c.proven) {
            EXPECT_EQ(exact.best, c.optimum);
        }
        EXPECT_EQ(CheckedMakespan(model), exact.best);
    }
}

// Giffler and Thompson's schedules are schedules whatever the times, and
// the rules pick what they say: on one machine, SPT takes the shorter job
// first, MWKR the one with more work left.
TEST(Dispatching, RulesGiveCheckedSchedules) {
    Model one = LoadText("one 2 1  1 5  1 3");
    DispatchSchedule(one, DispatchRule::kShortestProcessingTime);
    EXPECT_EQ(RowsOf(one), (Rows{{2, 1}}));
    DispatchSchedule(one, DispatchRule::kMostWorkRemaining);
    EXPECT_EQ(RowsOf(one), (Rows{{1, 2}}));

    std::mt19937 rng(8);
    Random random(8);
    for (int round = 0; round < 60; ++round) {
        const std::string text = RandomText(rng, round % 2 ? -3 : 1, round % 3 == 0);
        SCOPED_TRACE(text);
        Model model = LoadText(text);
        for (const DispatchRule rule :
             {DispatchRule::kMostWorkRemaining, DispatchRule::kShortestProcessingTime,
              DispatchRule::kRandom}) {
            DispatchSchedule(model, rule, &random);
            EXPECT_EQ(CheckedMakespan(model), model.Cmax);
            EXPECT_EQ(Evaluate(model, RowsOf(model)).cmax, model.Cmax);
        }
    }
}

// The program's edge: what it prints and writes, and what it refuses.
TEST(ImproveCommand, SaysWhatItFoundAndWritesWhatItIsAsked) {
    testing::TempFolder folder;
    const auto copy = [&folder](const std::string& name) {
        testing::WriteText(folder / (name + ".txt"),
                           testing::ReadText(SourcePath("benchmarks/" + name + ".txt")));
        return (folder / (name + ".txt")).string();
    };
    const std::string ft06 = copy("ft06");
    const std::string ta71 = copy("ta71");
    testing::WriteText(folder / "empty.txt", "e 0 3");
    testing::WriteText(folder / "nomachines.txt", "e 3 0");
    testing::WriteText(folder / "manyjobs.txt", "e 2147483647 0");
    testing::WriteText(folder / "row.txt", "row 1 4  1 3 2 4 3 5 4 6");
    testing::WriteText(folder / "column.txt", "column 4 1  1 3  1 4  1 5  1 6");
    testing::WriteText(folder / "cycle.txt",
                       testing::ReadText(SourcePath("fuzz/corpus/cycle.txt")));
    const std::string at = folder.path().string() + "/";
    struct Case {
        std::vector<std::string> args;
        int status;
        std::string out;  // in standard output
        std::string err;  // in standard error
    };
    const Case cases[] = {
        {{ft06, "--schedule", "-"}, 0, "Cmax 55\n", "Przeszukiwanie tabu: 10000 iteracji"},
        {{ft06, "--exact"}, 0, "Cmax = 55 jest optymalny (udowodniono)", ""},
        {{copy("ft10"), "--exact", "--nodes", "50", "--iterations", "10"},
         0,
         "Optymalnosc NIE zostala udowodniona",
         ""},
        {{at + "empty.txt"}, 0, "Harmonogramu wstawiania nie mozna poprawic.", ""},
        {{at + "nomachines.txt", "--exact"}, 0, "Cmax = 0 jest optymalny", ""},
        {{at + "manyjobs.txt", "-o", "-"}, 0, "Kadencja tabu:\t6\t9\n", ""},
        {{at + "row.txt", "--schedule", "-"}, 0, "Cmax 18\n1\n2\n3\n4\n", "nie mozna poprawic"},
        {{at + "column.txt", "--schedule", "-"}, 0, "Cmax 18\n", "Cmax rowny dolnemu"},
        {{at + "cycle.txt", "--schedule", at + "s.txt"},
         1,
         "",
         "\nBlad: graf rozwiazania zawiera cykl (czasy wykonania musza byc dodatnie).\n"},
        {{ta71, "-o", at + "t.txt", "--iterations", "1000000"}, 1, "", "ponad 100 MB"},
        {{ft06, "--seconds", "0"}, 2, "", "Blad: --seconds"},
        {{ft06, "--seconds", "1e300", "--iterations", "10", "--exact"}, 0, "10 iteracji", ""},
        {{ft06, "--schedule", at + "a", "--json", at + "a"}, 2, "", "do tego samego pliku"},
        {{ft06, "--page", at + "a", "-o", at + "a"}, 2, "", "do tego samego pliku"},
        {{ft06, "--page", ft06}, 2, "", "plikiem instancji"},
        {{at + "cycle.txt", "--page", at + "p.html"}, 1, "", "zawiera cykl"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args[0] + " " + (c.args.size() > 1 ? c.args[1] : ""));
        const testing::RunResult run = testing::RunCommand(
            [&c](std::ostream& out, std::ostream& err) { return RunImprove(c.args, out, err); });
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_NE(run.out.find(c.out), std::string::npos) << run.out;
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
    // Nothing of a refused run was written.
    EXPECT_FALSE(std::filesystem::exists(folder / "s.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "t.txt"));
    EXPECT_FALSE(std::filesystem::exists(folder / "p.html"));

    // The files: the schedule the trace ends with, and the JSON with it.
    const std::vector<std::string> args = {
        ft06,         "--iterations", "300",        "--seed", "18446744073709551615", "-o",
        at + "t.txt", "--schedule",   at + "s.txt", "--json", at + "d.json"};
    ASSERT_EQ(testing::RunCommand([&args](std::ostream& out, std::ostream& err) {
                  return RunImprove(args, out, err);
              }).status,
              0);
    const std::string schedule = testing::ReadText(folder / "s.txt");
    const std::string trace = testing::ReadText(folder / "t.txt");
    const std::string json = testing::ReadText(folder / "d.json");
    EXPECT_EQ(schedule.substr(0, 8), "Cmax 55\n");
    // The trace ends every operation with a tab, the schedule parts them by spaces.
    std::string rows;
    for (const char c : schedule.substr(8))
        rows += c == ' ' ? std::string("\t") : c == '\n' ? std::string("\t\n") : std::string(1, c);
    EXPECT_NE(trace.find("ft06, najlepsza permutacja PI:\n" + rows), std::string::npos);
    EXPECT_TRUE(
        json.starts_with("{\"format\":\"jobshop-improve\",\"version\":1,\"name\":\"ft06\""));
    EXPECT_NE(json.find("\"insertion\":59,\"cmax\":55,"), std::string::npos);
    EXPECT_NE(json.find("\"seed\":18446744073709551615,"), std::string::npos);
    EXPECT_NE(trace.find("\nZiarno:\t18446744073709551615\n"), std::string::npos);
}

}  // namespace
}  // namespace jobshop
