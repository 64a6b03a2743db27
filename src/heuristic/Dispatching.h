#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "heuristic/Random.h"
#include "model/Model.h"

namespace jobshop {

enum class DispatchRule : std::uint8_t {
    kMostWorkRemaining,       // MWKR: the job with the most processing time left, its own included
    kShortestProcessingTime,  // SPT: the shortest operation
    kRandom,                  // any, drawn at random
};

// One step of Giffler and Thompson's active schedule generation. next[j] is
// job j's next operation (0 when the job is done), jobEnd[j] when its last
// placed one ends, machineEnd[i] when machine i's last placed one ends. Of
// the next operations, the one that can end first fixes its machine (the
// lowest job among equal ends); `conflict` gets, in job order, the jobs
// whose next operation stands on that machine and can start before that
// end, that job included. Returns the machine, or 0 when every job is done.
std::int32_t ConflictSet(const Model& model, std::span<const Operation> next,
                         std::span<const Time> jobEnd, std::span<const Time> machineEnd,
                         std::vector<std::int32_t>& conflict);

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
