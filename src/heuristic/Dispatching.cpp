#include "heuristic/Dispatching.h"

#include <algorithm>
#include <vector>

namespace jobshop {

std::int32_t ConflictSet(const Model& model, std::span<const Operation> next,
                         std::span<const Time> jobEnd, std::span<const Time> machineEnd,
                         std::vector<std::int32_t>& conflict) {
    const auto start = [&](std::size_t j) {
        return std::max(jobEnd[j], machineEnd[model.M[next[j]]]);
    };
    std::int32_t first = -1;
    Time firstEnd = 0;
    for (std::size_t j = 0; j < next.size(); ++j) {
        if (next[j] == 0) continue;
        const Time end = start(j) + model.p[next[j]];
        if (first < 0 || end < firstEnd) {
            first = static_cast<std::int32_t>(j);
            firstEnd = end;
        }
    }
    conflict.clear();
    if (first < 0) return 0;
    const std::int32_t machine = model.M[next[first]];
    for (std::size_t j = 0; j < next.size(); ++j) {
        if (next[j] == 0 || model.M[next[j]] != machine) continue;
        if (static_cast<std::int32_t>(j) == first || start(j) < firstEnd) {
            conflict.push_back(static_cast<std::int32_t>(j));
        }
    }
    return machine;
}

void DispatchSchedule(Model& model, DispatchRule rule, Random* random) {
    ClearSchedule(model);
    const std::int32_t jobs = model.OpCount > 0 ? model.JobCount : 0;
    const std::int32_t m = model.MachineCount;
    // Per job: its next operation (0 when done), when its last one ended,
    // and the processing time it has left.
    std::vector<Operation> next(jobs);
    std::vector<Time> jobEnd(jobs, 0);
    std::vector<Time> workLeft(jobs, 0);
    for (std::int32_t j = 0; j < jobs; ++j) {
        next[j] = j * m + 1;
        for (Operation k = j * m + 1; k <= (j + 1) * m; ++k) workLeft[j] += model.p[k];
    }
    std::vector<Time> machineEnd(model.PlacedCount.size(), 0);
    std::vector<std::int32_t> conflict;
    Time makespan = 0;
    for (std::int32_t placed = 0; placed < model.OpCount; ++placed) {
        const std::int32_t machine = ConflictSet(model, next, jobEnd, machineEnd, conflict);
        std::int32_t chosen = conflict[0];
        if (rule == DispatchRule::kRandom) {
            chosen = conflict[random->Below(static_cast<std::uint32_t>(conflict.size()))];
        } else {
            for (const std::int32_t j : conflict) {
                const bool better = rule == DispatchRule::kMostWorkRemaining
                                        ? workLeft[j] > workLeft[chosen]
                                        : model.p[next[j]] < model.p[next[chosen]];
                if (better) chosen = j;
            }
        }
        const Operation k = next[chosen];
        const Time end = std::max(jobEnd[chosen], machineEnd[machine]) + model.p[k];
        Operation* row = model.PI(machine);
        const std::int32_t c = ++model.PlacedCount[machine];
        row[c] = k;
        model.PM[k] = row[c - 1];
        if (row[c - 1] != 0) model.NM[row[c - 1]] = k;
        jobEnd[chosen] = end;
        machineEnd[machine] = end;
        workLeft[chosen] -= model.p[k];
        next[chosen] = model.NO[k];
        makespan = std::max(makespan, end);
    }
    model.Cmax = makespan;
}

}  // namespace jobshop
