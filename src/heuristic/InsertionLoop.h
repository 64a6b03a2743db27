#pragma once

#include "heuristic/GraphEvaluation.h"
#include "model/Model.h"
#include "model/Status.h"
#include "report/TraceWriter.h"

namespace jobshop {

// Inserts the operations one by one, in InsertionOrder, into the sequence of
// their machine, each at the position with the smallest InsertionEstimate
// (the front-most among equal estimates), and leaves the makespan in Cmax.
// Writes the sorted list and every step section through `trace` (nullptr: no
// trace). Fails when the trace output fails or the graph closes a cycle.
Status BuildSchedule(Model& model, TraceWriter* trace);

// The position 1 ... c+1 of machine i at which op gets the smallest estimate.
std::int32_t ChoosePosition(const Model& model, const GraphEvaluation& graph, Operation op,
                            std::int32_t machine);

// Puts op at position b of machine i, shifting the operations behind it, and
// links it to its new machine neighbours.
void CommitOperation(Model& model, Operation op, std::int32_t machine, std::int32_t b);

}  // namespace jobshop
