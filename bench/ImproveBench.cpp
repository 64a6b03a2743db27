// Runs the tabu search on Taillard's ta01-ta80 at a fixed time per instance
// and prints a table by class: the gap to the best known upper bound (mean
// and largest), iterations and moves rated per second.
//
//   jobshop-improve-bench [--seconds S] [--seed N] [--iterations K] [--stall L] [NAME...]
//
// NAME picks instances of benchmarks/ (default ta01 ... ta80); one line per
// instance goes to standard error as it finishes. One thread, one instance
// at a time.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "TestFiles.h"
#include "driver/InsertionOrder.h"
#include "formats/Loader.h"
#include "heuristic/InsertionLoop.h"
#include "heuristic/ScheduleCheck.h"
#include "heuristic/TabuSearch.h"

namespace {

using namespace jobshop;
using Clock = std::chrono::steady_clock;

const std::string kBenchmarks = JOBSHOP_SOURCE_DIR "/benchmarks/";

// upper_bound of every instance in bounds.tsv.
std::map<std::string, Time> UpperBounds() {
    std::ifstream file(kBenchmarks + "bounds.tsv");
    std::string line;
    std::getline(file, line);
    std::map<std::string, Time> bounds;
    while (std::getline(file, line)) {
        std::istringstream cells(line);
        std::string name, jobs, machines, optimum, lower, upper;
        std::getline(cells, name, '\t');
        std::getline(cells, jobs, '\t');
        std::getline(cells, machines, '\t');
        std::getline(cells, optimum, '\t');
        std::getline(cells, lower, '\t');
        std::getline(cells, upper, '\t');
        if (!upper.empty()) bounds[name] = std::stoll(upper);
    }
    return bounds;
}

struct ClassSummary {
    int instances = 0;
    double gapSum = 0;
    double gapMax = 0;
    double seconds = 0;
    double iterations = 0;
    double moves = 0;
};

}  // namespace

int main(int argc, char** argv) {
    SearchSettings settings;
    settings.seconds = 10;
    std::vector<std::string> names;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--seconds" && i + 1 < argc) {
            settings.seconds = std::stod(argv[++i]);
        } else if (arg == "--seed" && i + 1 < argc) {
            settings.seed = std::stoull(argv[++i]);
        } else if (arg == "--iterations" && i + 1 < argc) {
            settings.iterations = std::stoll(argv[++i]);
        } else if (arg == "--stall" && i + 1 < argc) {
            settings.stallLimit = std::stoll(argv[++i]);
        } else if (arg.starts_with("--")) {
            std::fprintf(stderr,
                         "usage: jobshop-improve-bench [--seconds S] [--seed N] [--iterations K] "
                         "[--stall L] [NAME...]\n");
            return 2;
        } else {
            names.push_back(arg);
        }
    }
    if (names.empty()) {
        for (int k = 1; k <= 80; ++k) names.push_back((k < 10 ? "ta0" : "ta") + std::to_string(k));
    }
    const std::map<std::string, Time> bounds = UpperBounds();
    std::map<std::pair<int, int>, ClassSummary> classes;
    ClassSummary all;
    for (const std::string& name : names) {
        Model model;
        const std::string text = testing::ReadText(kBenchmarks + name + ".txt");
        if (LoadInstance(text, model) || !bounds.count(name)) {
            std::fprintf(stderr, "%s: not a bundled instance with a bound\n", name.c_str());
            return 1;
        }
        SortInsertionOrder(model);
        if (BuildSchedule(model) != ScheduleOutcome::kComplete) return 1;
        const Time start = model.Cmax;
        const auto begin = Clock::now();
        const SearchResult result = ImproveSchedule(model, settings);
        const double seconds = std::chrono::duration<double>(Clock::now() - begin).count();
        if (CheckedMakespan(model) != result.best) {
            std::fprintf(stderr, "%s: the schedule found fails its check\n", name.c_str());
            return 1;
        }
        const Time upper = bounds.at(name);
        const double gap = 100.0 * static_cast<double>(result.best - upper) / upper;
        std::fprintf(stderr,
                     "%s\t%dx%d\tstart %lld\tbest %lld\tbound %lld\tgap %.2f%%\t%lld it\t"
                     "%.0f it/s\t%.0f moves/s\t%.2f exact/it\tbest at %lld\tstop %d\n",
                     name.c_str(), model.JobCount, model.MachineCount,
                     static_cast<long long>(start), static_cast<long long>(result.best),
                     static_cast<long long>(upper), gap, static_cast<long long>(result.iterations),
                     result.iterations / seconds, result.movesEvaluated / seconds,
                     result.iterations ? double(result.exactEvaluations) / result.iterations : 0.0,
                     static_cast<long long>(result.bestIteration), static_cast<int>(result.stop));
        for (ClassSummary* summary : {&classes[{model.JobCount, model.MachineCount}], &all}) {
            ++summary->instances;
            summary->gapSum += gap;
            summary->gapMax = std::max(summary->gapMax, gap);
            summary->seconds += seconds;
            summary->iterations += static_cast<double>(result.iterations);
            summary->moves += static_cast<double>(result.movesEvaluated);
        }
    }
    std::printf("| class | instances | mean gap %% | largest gap %% | iterations/s | moves/s |\n");
    std::printf("|---|--:|--:|--:|--:|--:|\n");
    const auto row = [](const std::string& label, const ClassSummary& s) {
        std::printf("| %s | %d | %.2f | %.2f | %.0f | %.0f |\n", label.c_str(), s.instances,
                    s.gapSum / s.instances, s.gapMax, s.iterations / s.seconds,
                    s.moves / s.seconds);
    };
    for (const auto& [size, summary] : classes) {
        row(std::to_string(size.first) + " x " + std::to_string(size.second), summary);
    }
    row("all", all);
    return 0;
}
