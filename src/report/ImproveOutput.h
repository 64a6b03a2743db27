#pragma once

#include <optional>
#include <string>

#include "heuristic/BranchAndBound.h"
#include "heuristic/SearchObserver.h"
#include "model/Model.h"
#include "report/SearchHistory.h"
#include "report/SearchRecorder.h"

namespace jobshop {

// The schedule in the model as a small text: "Cmax <value>", then one line
// per machine (machine 1 first, an empty line for a machine without
// operations) with its operations in processing order, separated by
// spaces.
std::string ScheduleText(const Model& model);

// What a run of jobshop-improve found.
struct ImproveReport {
    Time insertion = 0;  // the insertion's makespan
    std::uint64_t seed = 0;
    SearchResult search;
    std::optional<ExactResult> exact;
};

// The same schedule with the run's figures and the search's history as JSON
// (format "jobshop-improve", version 1; docs/improve.md describes every
// field), and the recorded iterations when given.
std::string ImproveJson(const Model& model, const ImproveReport& report,
                        const SearchHistory& history, const SearchRecording* steps = nullptr);

}  // namespace jobshop
