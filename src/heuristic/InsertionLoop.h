#pragma once

#include <cstdint>
#include <vector>

#include "heuristic/GraphEvaluation.h"
#include "heuristic/StepObserver.h"
#include "model/Model.h"

namespace jobshop {

enum class ScheduleOutcome {
    kComplete,  // every operation placed; Cmax holds the makespan
    kCycle,     // an evaluation met a cycle (only times of 0 or below allow one)
    kStopped,   // the observer asked to stop
};

// Inserts the operations one by one, in InsertionOrder, into the sequence of
// their machine, each at the position with the smallest InsertionEstimate
// (the front-most among equal estimates), and leaves the makespan in Cmax.
// Publishes every step to `observer` (nullptr: nobody watches).
ScheduleOutcome BuildSchedule(Model& model, StepObserver* observer = nullptr);

// The estimates of positions 1 ... c+1 of `machine` for op, from the last
// evaluation, into `estimates` (estimates[b-1] for position b); returns the
// position with the smallest estimate, the front-most among equal ones.
std::int32_t ChoosePosition(const Model& model, const GraphEvaluation& graph, Operation op,
                            std::int32_t machine, std::vector<Time>& estimates);

// Puts op at position b of machine i, shifting the operations behind it, and
// links it to its new machine neighbours.
void CommitOperation(Model& model, Operation op, std::int32_t machine, std::int32_t b);

}  // namespace jobshop
