#pragma once

#include <cstdint>
#include <optional>

#include "model/Model.h"

namespace jobshop {

struct ExactLimits {
    std::int64_t nodes = 20'000'000;  // at most this many nodes
    std::optional<double> seconds;    // at most this long
};

enum class ExactStop : std::uint8_t {
    kProven,         // every schedule was accounted for: the best one is optimal
    kNodeLimit,      // the node limit ended the search
    kTimeLimit,      // the time limit ended it
    kNegativeTimes,  // a time below 0: no bound holds, nothing was searched
};

struct ExactResult {
    ExactStop stop = ExactStop::kProven;
    Time best = 0;  // the makespan of the schedule left in the model
    // No schedule is shorter; equal to `best` when proven. Nothing with
    // negative times.
    std::optional<Time> lowerBound;
    std::int64_t nodes = 0;
};

// Searches for a schedule shorter than the complete one in `model` (its
// makespan the first upper bound) by branch and bound over active
// schedules (Giffler and Thompson's branching: of the operations that can
// go first on the machine where the earliest possible end lies, each in
// turn), bounding every node by Jackson's preemptive schedule on each
// machine, with the heads the node fixes and the tails of the jobs. Depth
// first, the child with the smallest bound first. Leaves the best schedule
// found in the model's rows, links and Cmax.
ExactResult ProveOptimum(Model& model, const ExactLimits& limits);

}  // namespace jobshop
