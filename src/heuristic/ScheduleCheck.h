#pragma once

#include <optional>

#include "model/Model.h"

namespace jobshop {

// Checks a complete schedule from its PI rows alone, sharing nothing with
// the evaluations that built or improved it: every row holds each operation
// of its machine exactly once, NM and PM mirror the rows, and the sequences
// admit a schedule (no cycle). Returns the makespan, recomputed from scratch
// by running the jobs and machines as a token game (each operation starts
// when it is next both in its job and on its machine); nothing when any
// check fails.
std::optional<Time> CheckedMakespan(const Model& model);

}  // namespace jobshop
