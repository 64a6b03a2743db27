#pragma once

#include <cstdint>

#include "heuristic/SearchObserver.h"
#include "heuristic/TabuSearch.h"
#include "model/Model.h"
#include "model/Status.h"
#include "report/ChunkSink.h"
#include "report/ImproveOutput.h"
#include "report/SearchHistory.h"
#include "report/SearchRecorder.h"

namespace jobshop {

// The largest trace of the search written: a student reads a few
// iterations; a trace this large is no longer read, only kept.
inline constexpr std::uint64_t kMaxSearchTraceBytes = 100'000'000;
// The iterations recorded for a page (and --json): their JSON stays below
// this.
inline constexpr std::uint64_t kMaxSearchStepsBytes = 8'000'000;

// What a run of the search gives its outputs: the report (the insertion's
// makespan, the seed, the search's result; the exact result is the
// caller's), the history and the iterations recorded.
struct ImproveRun {
    ImproveReport report;
    SearchHistory history;
    SearchRecorder steps{kMaxSearchStepsBytes};
};

// The refusal of a trace past kMaxSearchTraceBytes.
Status SearchTraceTooLarge();

// The refusal of a schedule that fails the independent check: the
// program's fault, never reported as a schedule.
Status ScheduleCheckFailure();

// Whether the trace of `iterations` iterations of the loaded instance in
// `model` would pass kMaxSearchTraceBytes by its least size, so that it is
// refused before anything runs.
bool SearchTraceTooLargeAhead(const Model& model, std::int64_t iterations);

// Improves the complete schedule BuildSchedule left in `model` by tabu
// search with `settings`, as jobshop-improve does, and leaves the best
// schedule in the model, checked from its rows alone (a schedule that fails
// the check is refused as the program's fault). With `trace`, the trace
// goes to it in chunks (SearchTraceTooLarge once it passes the limit; what
// it got is then no trace); with `record`, the iterations are recorded for
// a page; `watcher`, if any, watches as well. jobshop-improve and the web
// edition both run the search so, and their files are the same.
Status RunImproveSearch(Model& model, const SearchSettings& settings, const ChunkSink::Take* trace,
                        bool record, SearchObserver* watcher, ImproveRun& run);

}  // namespace jobshop
