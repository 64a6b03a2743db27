// Measures a whole schedule-and-trace run, and its parts.
//
//   jobshop-bench [instance] [runs]      one instance (default: bench/instances/ta71.txt)
//   jobshop-bench --scaling [runs]       random 20-machine instances of 500, 2000, 8000 operations
//
// For an instance it reports the median over the runs of:
//   schedule  loading, sorting, all evaluations and insertions, no trace;
//   format    the same with every trace byte formatted into a discarding sink;
//   file      the whole trace written to a file in a temporary folder, closing section included.
// Formatting costs format - schedule; writing to the file system costs file - format.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "RandomInstance.h"
#include "Sinks.h"
#include "TestFiles.h"
#include "driver/InsertionOrder.h"
#include "driver/LoadMessages.h"
#include "driver/Run.h"
#include "formats/Loader.h"
#include "heuristic/InsertionLoop.h"

namespace {

using namespace jobshop;
using Clock = std::chrono::steady_clock;

double Median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

double MillisecondsOf(const std::function<void()>& work) {
    const auto start = Clock::now();
    work();
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

Model Load(const std::string& text) {
    Model model;
    if (const auto refused = LoadInstance(text, model)) {
        std::fprintf(stderr, "%s", ProgramLoadMessage(*refused, "input.txt").c_str());
        std::exit(1);
    }
    SortInsertionOrder(model);
    return model;
}

void Check(const Status& status) {
    if (!status.ok()) {
        std::fprintf(stderr, "%s", status.message().c_str());
        std::exit(1);
    }
}

void Check(ScheduleOutcome outcome) {
    if (outcome != ScheduleOutcome::kComplete) {
        std::fprintf(stderr, "the schedule did not complete\n");
        std::exit(1);
    }
}

double ScheduleOnly(const std::string& text) {
    return MillisecondsOf([&] {
        Model model = Load(text);
        Check(BuildSchedule(model, nullptr));
    });
}

double FormatOnly(const std::string& text, std::uint64_t& bytes) {
    return MillisecondsOf([&] {
        Model model = Load(text);
        testing::NullDestination traces;
        Check(RunSchedule(model, traces));
        bytes = traces.written;
    });
}

double ToFile(const std::string& text, const std::filesystem::path& folder) {
    return MillisecondsOf([&] {
        Model model = Load(text);
        Check(RunSchedule(model, folder));
    });
}

void MeasureInstance(const std::string& path, int runs) {
    std::ifstream in(path);
    if (!in) {
        std::fprintf(stderr, "cannot read %s\n", path.c_str());
        std::exit(1);
    }
    std::stringstream content;
    content << in.rdbuf();
    const std::string text = content.str();
    const testing::TempFolder folder;

    std::vector<double> schedule, format, file;
    std::uint64_t bytes = 0;
    for (int r = 0; r < runs; ++r) {
        schedule.push_back(ScheduleOnly(text));
        format.push_back(FormatOnly(text, bytes));
        file.push_back(ToFile(text, folder.path()));
    }

    const double s = Median(schedule), f = Median(format), w = Median(file);
    std::printf("%s: %llu trace bytes, median of %d runs\n", path.c_str(),
                static_cast<unsigned long long>(bytes), runs);
    std::printf("  schedule (no trace)      %9.1f ms\n", s);
    std::printf("  + formatting the trace   %9.1f ms  (format - schedule)\n", f - s);
    std::printf("  + writing the file       %9.1f ms  (file - format)\n", w - f);
    std::printf("  whole run to a file      %9.1f ms\n", w);
}

void MeasureScaling(int runs) {
    std::printf("20 machines, random times 1..99, median of %d runs\n", runs);
    std::printf("%10s %16s %16s %18s\n", "operations", "schedule ms", "per op^2 ns",
                "format (null) ms");
    for (const int jobs : {25, 100, 400}) {
        std::mt19937 rng(12345);
        const std::string text = testing::RandomInstanceText(rng, {.jobs = jobs, .machines = 20});
        const double n = jobs * 20.0;
        std::vector<double> schedule, format;
        std::uint64_t bytes = 0;
        for (int r = 0; r < runs; ++r) {
            schedule.push_back(ScheduleOnly(text));
            format.push_back(FormatOnly(text, bytes));
        }
        const double s = Median(schedule);
        std::printf("%10.0f %16.2f %16.3f %18.1f\n", n, s, s * 1e6 / (n * n), Median(format));
    }
}

}  // namespace

int main(int argc, char** argv) {
    const std::string first = argc > 1 ? argv[1] : "";
    if (first == "--scaling") {
        MeasureScaling(argc > 2 ? std::atoi(argv[2]) : 5);
        return 0;
    }
    const std::string instance =
        first.empty() ? std::string(JOBSHOP_SOURCE_DIR "/bench/instances/ta71.txt") : first;
    MeasureInstance(instance, argc > 2 ? std::atoi(argv[2]) : 5);
    return 0;
}
