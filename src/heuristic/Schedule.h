#pragma once

#include <optional>

#include "model/Model.h"

namespace jobshop {

// Complete schedules as the PI rows of a Model hold them: every operation
// placed, row i holding PlacedCount[i] operations of machine i.

// True when every processing time is at least 1. The search's bounds on a
// move's makespan, and the rule that a swap on a critical path never
// closes a cycle, hold only then.
bool AllTimesPositive(const Model& model);

// Sets NM and PM of every operation from the PI rows.
void LinkMachineRows(Model& model);

// The larger of the longest job and the largest machine load: no schedule
// is shorter when no time is negative (nothing then when one is).
std::optional<Time> SimpleLowerBound(const Model& model);

}  // namespace jobshop
