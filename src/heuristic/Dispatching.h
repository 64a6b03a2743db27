#pragma once

#include <cstdint>

#include "heuristic/Random.h"
#include "model/Model.h"

namespace jobshop {

enum class DispatchRule : std::uint8_t {
    kMostWorkRemaining,       // MWKR: the job with the most processing time left, its own included
    kShortestProcessingTime,  // SPT: the shortest operation
    kRandom,                  // any, drawn at random
};

// Builds a complete schedule by Giffler and Thompson's active schedule
// generation: again and again, of the operations next in their jobs, the
// one that can end first fixes a machine, and of the operations next in
// their jobs on that machine that can start before that end, `rule`
// picks the one placed next there (the lowest-numbered among equals).
// Leaves the schedule in the model's PI rows and links, its makespan in
// Cmax. The order of placing is a topological order, so the result never
// has a cycle, whatever the times. kRandom draws from `random`.
void DispatchSchedule(Model& model, DispatchRule rule, Random* random = nullptr);

}  // namespace jobshop
