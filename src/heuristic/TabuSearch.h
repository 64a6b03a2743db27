#pragma once

#include <cstdint>
#include <optional>

#include "heuristic/SearchObserver.h"
#include "model/Model.h"

namespace jobshop {

struct SearchSettings {
    std::uint64_t seed = 1;
    std::optional<std::int64_t> iterations;  // at most this many moves
    std::optional<double> seconds;           // at most this long (not a promise of the same result)
    // Iterations without a better schedule that end a phase; the default
    // as measured on Taillard's instances (see docs/improve.md).
    std::int64_t stallLimit = 5000;
};

// Improves the complete, acyclic schedule in `model` (as BuildSchedule
// leaves it) by tabu search over swaps at the ends of a critical path's
// blocks, and leaves the best schedule found in the model's PI rows and
// links, with its makespan in Cmax. Each iteration makes the move with the
// smallest makespan among those not tabu (or tabu but better than the best
// so far); a long run without a new best restarts from the best schedule,
// shaken by a few random swaps. The same seed and iteration limit give the
// same run. Publishes every iteration to `observer` (nullptr: nobody
// watches).
SearchResult ImproveSchedule(Model& model, const SearchSettings& settings,
                             SearchObserver* observer = nullptr);

}  // namespace jobshop
